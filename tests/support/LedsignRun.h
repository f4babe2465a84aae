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
inline Run finish(QProcess& p) {
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

inline Run ledsign(const QStringList& args, const RunWith& with = {}) {
    QProcess p;
    if (!with.env.isEmpty())
        p.setProcessEnvironment(with.env);
    p.start(QStringLiteral(LEDSIGN_CLI_PATH), args);
    if (!p.waitForStarted(10000))
        return {};
    p.write(with.input);
    p.closeWriteChannel();
    return finish(p);
}
