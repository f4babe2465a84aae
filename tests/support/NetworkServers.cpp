#include "NetworkServers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

constexpr int kStartMs = 10000;

void end(std::unique_ptr<QProcess>& proc) {
    if (!proc)
        return;
    proc->closeWriteChannel();
    proc->terminate();
    if (!proc->waitForFinished(3000)) {
        proc->kill();
        proc->waitForFinished(3000);
    }
    proc.reset();
}

// Whether something listens on the port (the connection is closed again at once).
bool listening(quint16 port) {
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.1"), port);
    const bool up = probe.waitForConnected(500);
    probe.abort();
    return up;
}

} // namespace

quint16 freeLocalPort() {
    QTcpServer s;
    if (!s.listen(QHostAddress::LocalHost, 0))
        return 0;
    return s.serverPort();
}

QString Ser2Net::program() {
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    if (!onPath.isEmpty())
        return onPath;
    return QStandardPaths::findExecutable(QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin")});
}

bool Ser2Net::start(const QString& device) {
    const QString exe = program();
    if (exe.isEmpty() || !dir_.isValid())
        return false;
    rfc2217Port_ = freeLocalPort();
    rawPort_ = freeLocalPort();
    while (rawPort_ == rfc2217Port_)
        rawPort_ = freeLocalPort();
    telnetPort_ = freeLocalPort();
    while (telnetPort_ == rfc2217Port_ || telnetPort_ == rawPort_)
        telnetPort_ = freeLocalPort();
    // kickolduser: the tool reconnects at once after closing, and the server may not have
    // seen the old connection end yet.
    const QString connector = QStringLiteral("  connector: serialdev,") + device +
                              QStringLiteral(",19200n81,local\n  options:\n"
                                             "    kickolduser: true\n");
    const QString config =
        QStringLiteral("connection: &rfc\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n")
            .arg(rfc2217Port_) +
        connector +
        QStringLiteral("connection: &raw\n  accepter: tcp,127.0.0.1,%1\n").arg(rawPort_) +
        connector +
        QStringLiteral("connection: &telnet\n  accepter: telnet,tcp,127.0.0.1,%1\n")
            .arg(telnetPort_) +
        connector;
    const QString file = dir_.filePath(QStringLiteral("ser2net.yaml"));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(config.toUtf8()) < 0)
        return false;
    f.close();
    proc_ = std::make_unique<QProcess>();
    // Its debug output (and its complaint that mDNS is unavailable) stays out of the log.
    proc_->setStandardOutputFile(QProcess::nullDevice());
    proc_->setStandardErrorFile(QProcess::nullDevice());
    proc_->start(exe, {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-u"),
                       QStringLiteral("-P"), dir_.filePath(QStringLiteral("ser2net.pid")),
                       QStringLiteral("-c"), file});
    if (!proc_->waitForStarted(kStartMs))
        return false;
    const QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired()) {
        if (proc_->state() != QProcess::Running)
            return false;
        if (listening(rfc2217Port_) && listening(rawPort_) && listening(telnetPort_))
            return true;
        QTest::qWait(50);
    }
    return false;
}

void Ser2Net::stop() {
    end(proc_);
}

QString Ser2Net::rfc2217() const {
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(rfc2217Port_);
}

QString Ser2Net::raw() const {
    return QStringLiteral("socket://127.0.0.1:%1").arg(rawPort_);
}

bool TestRelay::start(quint16 serverPort, int delayMs, qint64 dropAfter) {
    proc_ = std::make_unique<QProcess>();
    proc_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_->start(QStringLiteral(LEDSIGN_RELAY_PATH),
                 {QStringLiteral("--to"), QStringLiteral("127.0.0.1:%1").arg(serverPort),
                  QStringLiteral("--delay-ms"), QString::number(delayMs),
                  QStringLiteral("--drop-after"), QString::number(dropAfter)});
    if (!proc_->waitForStarted(kStartMs))
        return false;
    const QDeadlineTimer deadline(kStartMs);
    while (!proc_->canReadLine() && !deadline.hasExpired() && proc_->state() == QProcess::Running)
        proc_->waitForReadyRead(100);
    bool ok = false;
    port_ = quint16(QString::fromLatin1(proc_->readLine()).trimmed().toUInt(&ok));
    return ok && port_ != 0;
}

void TestRelay::stop() {
    end(proc_);
}
