#include "serial/NetworkLine.h"

#include "serial/TCommPort.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QThread>
#include <cerrno>
#include <cstring>

namespace {

// Telnet (RFC 854) and its Com Port Control option (RFC 2217).
namespace telnet {
constexpr quint8 Iac = 255, Dont = 254, Do = 253, Wont = 252, Will = 251, Sb = 250, Se = 240;
constexpr quint8 Binary = 0, SuppressGoAhead = 3, ComPort = 44;
} // namespace telnet

namespace comport {
// Client to server; the server answers with the same command plus 100.
constexpr quint8 SetBaudRate = 1, SetDataSize = 2, SetParity = 3, SetStopSize = 4, SetControl = 5;
constexpr quint8 FlowSuspend = 8, FlowResume = 9, Purge = 12;
constexpr quint8 ServerOffset = 100;
constexpr quint8 ParityNone = 1, ParityOdd = 2, ParityEven = 3;
constexpr quint8 StopOne = 1, StopTwo = 2;
constexpr quint8 NoFlowControl = 1, DtrOn = 8, RtsOn = 11;
constexpr quint8 PurgeBoth = 3;
} // namespace comport

// A server's option answer that does not end: more is a broken server, not a setting.
constexpr int kMaxSub = 256;
constexpr int kRetryPauseMs = 100;

quint32 bit(quint8 command) {
    return 1u << command;
}

// The failure of a socket as an error number, where the system has one, and in words.
std::pair<quint32, QString> describe(const QTcpSocket& socket) {
    int err = 0;
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        err = ECONNREFUSED;
        break;
    case QAbstractSocket::RemoteHostClosedError:
        err = ECONNRESET;
        break;
    case QAbstractSocket::SocketTimeoutError:
        err = ETIMEDOUT;
        break;
    case QAbstractSocket::NetworkError:
        err = ENETUNREACH;
        break;
    case QAbstractSocket::SocketAccessError:
        err = EACCES;
        break;
    default:
        break;
    }
    // The system's own words where it has them; the resolver's and the rest come from Qt.
    if (err != 0 && socket.error() != QAbstractSocket::RemoteHostClosedError)
        return {quint32(err), QString::fromLocal8Bit(std::strerror(err))};
    return {quint32(err ? err : EIO), socket.errorString()};
}

QByteArray baudValue(quint32 baud) {
    QByteArray v(4, '\0');
    for (int i = 0; i < 4; ++i)
        v[i] = char((baud >> (8 * (3 - i))) & 0xFF);
    return v;
}

// What a server that closes at once said (ser2net: "Port already in use"), when it is text.
QString closingWords(const QByteArray& bytes) {
    const QString text = QString::fromLatin1(bytes).trimmed();
    if (text.isEmpty() || text.size() > 120)
        return {};
    for (const QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() > 0x7E)
            return {};
    return text;
}

} // namespace

NetworkLine::NetworkLine(NetworkPort where, int answerWaitMs)
    : where_(std::move(where)), answerWaitMs_(qMax(1, answerWaitMs)) {}

NetworkLine::~NetworkLine() {
    close();
}

bool NetworkLine::connected() const {
    return socket_ && !lost_;
}

void NetworkLine::close() {
    if (!socket_)
        return;
    // The server closes the serial device when the connection ends; nothing is left to flush.
    socket_->abort();
    socket_.reset();
}

void NetworkLine::noteLost() {
    if (lost_ || !socket_)
        return;
    lost_ = true;
    const auto [err, reason] = describe(*socket_);
    lostErrno_ = err;
    lossReason_ = reason;
}

void NetworkLine::raise(quint8 code) {
    const quint32 err = lostErrno_ ? lostErrno_ : quint32(EIO);
    const QString reason = lossReason_;
    close();
    throw ECommError(code, err, reason);
}

void NetworkLine::open(const LineSettings& settings) {
    // A server still ending the last connection may close a new one at once (ser2net without
    // kickolduser, right after the tool closed): it is asked again while the wait lasts.
    const QDeadlineTimer deadline(answerWaitMs_);
    for (;;) {
        closedEarly_ = false;
        try {
            attempt(settings);
            return;
        } catch (const ECommError&) {
            if (!closedEarly_ || deadline.hasExpired())
                throw;
        }
        QThread::msleep(kRetryPauseMs);
    }
}

void NetworkLine::attempt(const LineSettings& settings) {
    close();
    connectMs_ = -1;
    rx_.clear();
    rxPos_ = 0;
    state_ = Parse::Data;
    said_.clear();
    comPort_ = Answer::Pending;
    answeredMask_ = 0;
    settingAnswers_ = QByteArray(32, '\0');
    purgesPending_ = 0;
    suspended_ = false;
    lost_ = false;
    lostErrno_ = 0;
    lossReason_.clear();

    socket_ = std::make_unique<QTcpSocket>();
    QElapsedTimer clock;
    clock.start();
    socket_->connectToHost(where_.host, where_.port);
    if (!socket_->waitForConnected(answerWaitMs_)) {
        noteLost();
        raise(ECommError::OpenFailed);
    }
    connectMs_ = clock.elapsed();
    // Every frame waits for its answer: it must leave at once, not wait for more to send.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    if (where_.kind == NetworkPort::Kind::Raw)
        return;

    sendOption(telnet::Will, telnet::ComPort);
    sendOption(telnet::Will, telnet::Binary);
    sendOption(telnet::Do, telnet::Binary);
    if (!awaitServer([this] { return comPort_ != Answer::Pending; }) || comPort_ == Answer::No) {
        if (lost_) {
            const QString words = closingWords(rx_);
            if (!words.isEmpty())
                lossReason_ = words;
            closedEarly_ = true;
            raise(ECommError::OpenFailed);
        }
        lostErrno_ = EPROTONOSUPPORT;
        lossReason_.clear();
        raise(ECommError::SetSettingsFailed);
    }
    settle(settings);
    // What came before the line was set is noise at some other speed.
    rx_.clear();
    rxPos_ = 0;
}

void NetworkLine::settle(const LineSettings& s) {
    using namespace comport;
    const quint8 parity = s.parity == 'E' ? ParityEven : s.parity == 'O' ? ParityOdd : ParityNone;
    const quint8 stop = s.stopBits == 2 ? StopTwo : StopOne;
    answeredMask_ = 0;
    sendSub(SetBaudRate, baudValue(s.baud));
    sendSub(SetDataSize, QByteArray(1, char(s.dataBits)));
    sendSub(SetParity, QByteArray(1, char(parity)));
    sendSub(SetStopSize, QByteArray(1, char(stop)));
    // The modem lines are asked for but not awaited: a server whose device has none (a
    // pseudo-terminal) does not answer them, and the sign needs only the data.
    sendSub(SetControl, QByteArray(1, char(NoFlowControl)));
    sendSub(SetControl, QByteArray(1, char(DtrOn)));
    sendSub(SetControl, QByteArray(1, char(RtsOn)));
    const quint32 needed = bit(SetBaudRate) | bit(SetDataSize) | bit(SetParity) | bit(SetStopSize);
    const bool answered = awaitServer([&] { return (answeredMask_ & needed) == needed; });
    if (lost_) {
        closedEarly_ = true;
        raise(ECommError::OpenFailed);
    }
    if (!answered || baudAnswer_ != s.baud || settingAnswers_[SetDataSize] != char(s.dataBits) ||
        quint8(settingAnswers_[SetParity]) != parity ||
        quint8(settingAnswers_[SetStopSize]) != stop) {
        lostErrno_ = EPROTONOSUPPORT;
        lossReason_.clear();
        raise(ECommError::SetSettingsFailed);
    }
}

void NetworkLine::setBaudRate(quint32 baud) {
    if (!connected())
        raise(ECommError::BaudRefused);
    if (where_.kind == NetworkPort::Kind::Raw)
        return; // the server's own setting holds
    answeredMask_ &= ~bit(comport::SetBaudRate);
    sendSub(comport::SetBaudRate, baudValue(baud));
    const bool answered =
        awaitServer([this] { return (answeredMask_ & bit(comport::SetBaudRate)) != 0; });
    if (lost_)
        raise(ECommError::BaudRefused);
    if (!answered || baudAnswer_ != baud)
        throw ECommError(ECommError::BaudRefused, quint32(EINVAL));
}

template <typename Done> bool NetworkLine::awaitServer(Done done) {
    const QDeadlineTimer deadline(answerWaitMs_);
    while (!done()) {
        if (lost_ || deadline.hasExpired())
            return false;
        pump(int(qMin<qint64>(deadline.remainingTime(), 50)));
    }
    return true;
}

void NetworkLine::sendRaw(const QByteArray& bytes) {
    if (!socket_ || lost_)
        return;
    if (socket_->write(bytes) != bytes.size())
        noteLost();
}

void NetworkLine::sendOption(quint8 verb, quint8 option) {
    const quint16 key = quint16(verb << 8 | option);
    if (said_.contains(key))
        return;
    said_.insert(key);
    const char bytes[] = {char(telnet::Iac), char(verb), char(option)};
    sendRaw(QByteArray(bytes, 3));
}

void NetworkLine::sendSub(quint8 command, const QByteArray& value) {
    QByteArray frame;
    frame.append(char(telnet::Iac)).append(char(telnet::Sb)).append(char(telnet::ComPort));
    frame.append(char(command));
    for (const char c : value) {
        frame.append(c);
        if (quint8(c) == telnet::Iac)
            frame.append(c);
    }
    frame.append(char(telnet::Iac)).append(char(telnet::Se));
    sendRaw(frame);
}

void NetworkLine::onOption(quint8 verb, quint8 option) {
    using namespace telnet;
    if (option == ComPort) {
        if (verb == Do)
            comPort_ = Answer::Yes;
        else if (verb == Dont)
            comPort_ = Answer::No;
        return; // the server's own WILL/WONT of it offers nothing a client takes
    }
    const bool wanted = option == Binary || option == SuppressGoAhead;
    if (verb == Do)
        sendOption(wanted ? Will : Wont, option);
    else if (verb == Will)
        sendOption(wanted ? Do : Dont, option);
    // Echo and every other option stay off; refusals need no answer.
}

void NetworkLine::onSub() {
    using namespace comport;
    if (sub_.size() < 2 || quint8(sub_[0]) != telnet::ComPort)
        return;
    const quint8 command = quint8(sub_[1]);
    const QByteArray value = sub_.mid(2);
    if (command < ServerOffset)
        return; // a server's request of a client: none is taken
    const quint8 answered = quint8(command - ServerOffset);
    switch (answered) {
    case SetBaudRate:
        if (value.size() == 4) {
            baudAnswer_ = 0;
            for (const char c : value)
                baudAnswer_ = baudAnswer_ << 8 | quint8(c);
            answeredMask_ |= bit(answered);
        }
        break;
    case SetDataSize:
    case SetParity:
    case SetStopSize:
    case SetControl:
        if (value.size() == 1) {
            settingAnswers_[answered] = value[0];
            answeredMask_ |= bit(answered);
        }
        break;
    case FlowSuspend:
        suspended_ = true;
        break;
    case FlowResume:
        suspended_ = false;
        break;
    case Purge:
        if (purgesPending_ > 0)
            --purgesPending_;
        break;
    default:
        // Line and modem state notifications: the sign's line has no state the tool uses.
        break;
    }
}

void NetworkLine::parse(const QByteArray& bytes) {
    if (purgesPending_ > 0 && purgeSent_.hasExpired(answerWaitMs_))
        purgesPending_ = 0; // a server that never confirms a purge must not swallow the line
    if (where_.kind == NetworkPort::Kind::Raw) {
        rx_.append(bytes);
        return;
    }
    using namespace telnet;
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        switch (state_) {
        case Parse::Data:
            if (b == Iac)
                state_ = Parse::Iac;
            else if (purgesPending_ == 0)
                rx_.append(c);
            break;
        case Parse::Iac:
            if (b == Iac) {
                if (purgesPending_ == 0)
                    rx_.append(c);
                state_ = Parse::Data;
            } else if (b == Will || b == Wont || b == Do || b == Dont) {
                verb_ = b;
                state_ = Parse::Option;
            } else if (b == Sb) {
                sub_.clear();
                state_ = Parse::Sub;
            } else {
                state_ = Parse::Data; // NOP, go ahead and the like
            }
            break;
        case Parse::Option:
            onOption(verb_, b);
            state_ = Parse::Data;
            break;
        case Parse::Sub:
            if (b == Iac)
                state_ = Parse::SubIac;
            else if (sub_.size() < kMaxSub)
                sub_.append(c);
            break;
        case Parse::SubIac:
            if (b == Iac) {
                if (sub_.size() < kMaxSub)
                    sub_.append(c);
                state_ = Parse::Sub;
            } else {
                if (b == Se)
                    onSub();
                state_ = Parse::Data;
            }
            break;
        }
    }
}

void NetworkLine::pump(int timeoutMs) {
    if (!socket_ || lost_)
        return;
    if (socket_->bytesAvailable() == 0 && socket_->state() == QAbstractSocket::ConnectedState)
        socket_->waitForReadyRead(qMax(0, timeoutMs));
    if (socket_->bytesAvailable() > 0)
        parse(socket_->readAll());
    if (socket_->state() != QAbstractSocket::ConnectedState)
        noteLost();
    if (rxPos_ > 4096 && rxPos_ * 2 > rx_.size()) {
        rx_.remove(0, rxPos_);
        rxPos_ = 0;
    }
}

void NetworkLine::write(const char* data, qint64 length, int stallMs) {
    if (!connected())
        raise(ECommError::WriteFailed);
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    while (suspended_) {
        pump(50);
        if (lost_)
            raise(ECommError::WriteFailed);
        if (sinceProgress.hasExpired(stallMs))
            throw ECommError(ECommError::WriteFailed, quint32(EAGAIN));
    }
    QByteArray out;
    if (where_.kind == NetworkPort::Kind::Rfc2217) {
        out.reserve(length + length / 16);
        for (qint64 i = 0; i < length; ++i) {
            out.append(data[i]);
            if (quint8(data[i]) == telnet::Iac)
                out.append(data[i]);
        }
    } else {
        out = QByteArray(data, length);
    }
    sendRaw(out);
    if (lost_)
        raise(ECommError::WriteFailed);
    sinceProgress.restart();
    qint64 left = socket_->bytesToWrite();
    while (left > 0) {
        socket_->waitForBytesWritten(100);
        if (socket_->state() != QAbstractSocket::ConnectedState)
            noteLost();
        if (lost_)
            raise(ECommError::WriteFailed);
        const qint64 now = socket_->bytesToWrite();
        if (now < left) {
            left = now;
            sinceProgress.restart();
        } else if (sinceProgress.hasExpired(stallMs)) {
            throw ECommError(ECommError::WriteFailed, quint32(EAGAIN));
        }
    }
}

qint64 NetworkLine::waiting() {
    if (!socket_)
        raise(ECommError::StatusFailed);
    pump(0);
    const qint64 n = rx_.size() - rxPos_;
    if (n == 0 && lost_)
        raise(ECommError::StatusFailed);
    return n;
}

quint8 NetworkLine::take() {
    if (rxPos_ >= rx_.size()) {
        if (lost_ || !socket_)
            raise(ECommError::ReadFailed);
        throw ECommError(ECommError::ReadFailed, quint32(EAGAIN));
    }
    return quint8(rx_[rxPos_++]);
}

void NetworkLine::purge() {
    if (!socket_)
        raise(ECommError::PurgeFailed);
    if (where_.kind == NetworkPort::Kind::Rfc2217 && !lost_) {
        // The server confirms after it purged: every data byte before its answer is old.
        sendSub(comport::Purge, QByteArray(1, char(comport::PurgeBoth)));
        ++purgesPending_;
        purgeSent_.start();
    }
    pump(0);
    rx_.clear();
    rxPos_ = 0;
    if (lost_)
        raise(ECommError::PurgeFailed);
}

bool NetworkLine::waitForData(int timeoutMs) {
    if (!socket_)
        return false;
    if (rx_.size() > rxPos_)
        return true;
    const QDeadlineTimer deadline(qMax(0, timeoutMs));
    do {
        pump(int(qMin<qint64>(deadline.remainingTime(), INT_MAX)));
        if (rx_.size() > rxPos_)
            return true;
        if (lost_)
            return false;
    } while (!deadline.hasExpired());
    return false;
}
