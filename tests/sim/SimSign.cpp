#include "SimSign.h"

#include "protocol/Frames.h"

#include <QElapsedTimer>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

SimSign::SimSign(QStringList arguments) : arguments_(std::move(arguments)) {
    if (!arguments_.contains(QStringLiteral("--pace")))
        arguments_ << QStringLiteral("--pace") << QStringLiteral("0");
}

SimSign::~SimSign() {
    if (fd_ >= 0)
        ::close(fd_);
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }
}

bool SimSign::start(QProcess::InputChannelMode stdinMode, bool nullStdin) {
    process_.setInputChannelMode(stdinMode);
    if (nullStdin)
        process_.setStandardInputFile(QProcess::nullDevice());
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(LEDSIGN_SIM_PATH), arguments_);
    if (!process_.waitForStarted(5000))
        return false;
    QElapsedTimer t;
    t.start();
    while (!process_.canReadLine() && t.elapsed() < 5000)
        if (!process_.waitForReadyRead(200) && process_.state() == QProcess::NotRunning)
            return false;
    path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    return path_.startsWith(QStringLiteral("/dev/")) && reopen();
}

bool SimSign::reopen() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    return fd_ >= 0;
}

QByteArray SimSign::request(quint8 command, quint32 address, quint16 dataLength,
                            const QByteArray& data) {
    sequence_ = wire::nextSequence(sequence_);
    return wire::deviceFrame(sequence_, command, address, dataLength, data);
}

void SimSign::send(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }
}

namespace {

template <typename Done> QByteArray readUntil(int fd, int timeoutMs, Done done) {
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (!done(got)) {
        const int left = timeoutMs - int(t.elapsed());
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, left) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
        else if (n == 0 || (p.revents & POLLHUP))
            break;
    }
    return got;
}

} // namespace

QByteArray SimSign::receive(qsizetype count, int timeoutMs) {
    return readUntil(fd_, timeoutMs, [count](const QByteArray& b) { return b.size() >= count; });
}

QByteArray SimSign::receiveReply(int timeoutMs) {
    return readUntil(fd_, timeoutMs, [](const QByteArray& b) {
        return b.size() >= wire::kReplyMinimum && b.endsWith(char(wire::kEnd));
    });
}

QByteArray SimSign::receiveEndingWith(const QByteArray& tail, int timeoutMs) {
    return readUntil(fd_, timeoutMs, [&tail](const QByteArray& b) { return b.endsWith(tail); });
}

QByteArray SimSign::listen(int ms) {
    return readUntil(fd_, ms, [](const QByteArray&) { return false; });
}

QByteArray SimSign::ask(quint8 command, quint32 address, quint16 length, const QByteArray& data) {
    send(request(command, address, length, data));
    return receive(wire::kAckLength);
}

QByteArray SimSign::read(quint32 address, quint16 count) {
    send(request(wire::Read, address, count));
    const QByteArray raw = receiveReply();
    if (!raw.endsWith(char(wire::kEnd)))
        return {};
    const QByteArray reply = wire::unstuff(raw.chopped(1));
    if (reply.size() != wire::kReplyDataOffset + count + 2)
        return {};
    return reply.mid(wire::kReplyDataOffset, count);
}

bool SimSign::stop() {
    process_.terminate();
    return process_.waitForFinished(3000) && process_.exitStatus() == QProcess::NormalExit &&
           process_.exitCode() == 0;
}
