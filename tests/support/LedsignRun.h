#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One run of the built `ledsign`: its exit code and what it printed.
struct Run {
    int code = -1;
    QString out, err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// What a run is given besides its arguments. Standard input is always closed, so a command
// that would read it sees its end instead of waiting.
struct RunWith {
    QByteArray input;
    QProcessEnvironment env; // empty: the test's own

    static RunWith stdinText(const QByteArray& text) {
        RunWith w;
        w.input = text;
        return w;
    }
};

// Waits for a started process; a crash or a hang is never a valid exit.
Run finish(QProcess& p);

Run ledsign(const QStringList& args, const RunWith& with = {});
