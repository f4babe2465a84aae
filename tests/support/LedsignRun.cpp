#include "LedsignRun.h"

Run finish(QProcess& p) {
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

Run ledsign(const QStringList& args, const RunWith& with) {
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
