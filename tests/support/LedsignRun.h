#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// One run of the built `ledsign`: its exit code and what it printed.
struct Run {
    int code = -1;
    QString out, err;
};

inline Run ledsign(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(LEDSIGN_CLI_PATH), args);
    Run r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r; // a crash or a hang is never a valid exit
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
