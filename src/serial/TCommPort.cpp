#include "serial/TCommPort.h"

#include "serial/NetworkLine.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <cerrno>
#include <climits>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace {

quint32 lastError() {
    return quint32(errno);
}

#ifdef Q_OS_UNIX
// The controlling terminal's alias: a terminal, but the user's own, never a line to a sign.
constexpr unsigned kTtyMajor = 5;
constexpr unsigned kTtyMinor = 0;

// Whether name is there but cannot be a serial line (a folder, a plain file, /dev/tty).
bool presentButNoSerialLine(const QString& name) {
    if (name.isEmpty())
        return false;
    const QString path = name.contains(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    if (!S_ISCHR(st.st_mode))
        return true;
    return major(st.st_rdev) == kTtyMajor && minor(st.st_rdev) == kTtyMinor;
}
#else
// Ports have names of their own there (COM3); only a path to a folder or a file is refused.
bool presentButNoSerialLine(const QString& name) {
    const QFileInfo info(name);
    return !name.isEmpty() && (info.isDir() || info.isFile());
}
#endif

} // namespace

TCommPort::TCommPort() : port_(std::make_unique<QSerialPort>()) {
    // A vanished device makes the port report read failures over and over while it still
    // looks open; remember it so the next call closes the port and raises.
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, port_.get(),
                     [this](QSerialPort::SerialPortError e) {
                         if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError ||
                             e == QSerialPort::WriteError)
                             noteLost(errno ? errno : EIO);
                     });
    applyFraming();
}

TCommPort::~TCommPort() {
    try {
        Close();
    } catch (const ECommError&) {
    }
}

void TCommPort::applyFraming() {
    port_->setBaudRate(baud_ > quint32(INT_MAX) ? -1 : qint32(baud_));
    port_->setDataBits(dataBits_ == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    port_->setParity(parity_ == 'E' ? QSerialPort::EvenParity : QSerialPort::NoParity);
    port_->setStopBits(stopBits_ == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
}

template <typename Call> auto TCommPort::onNetwork(Call call) -> decltype(call()) {
    try {
        return call();
    } catch (const ECommError& e) {
        if (!net_->connected()) {
            connectionLoss_ = e.reason;
            Close();
        }
        throw;
    }
}

void TCommPort::openNetwork() {
    networkConnectMs_ = -1;
    const auto where = NetworkPort::parse(name_);
    if (!where)
        throw ECommError(ECommError::OpenFailed, quint32(EINVAL));
    auto line = std::make_unique<NetworkLine>(*where, networkWaitMs_);
    try {
        line->open({baud_, dataBits_, parity_, stopBits_});
    } catch (const ECommError&) {
        networkConnectMs_ = line->connectMs();
        throw;
    }
    networkConnectMs_ = line->connectMs();
    net_ = std::move(line);
    open_ = true;
    if (observer_)
        observer_->portOpened(*this);
}

void TCommPort::Open() {
    if (open_)
        return;
    lost_ = false;
    connectionLoss_.clear();
    if (NetworkPort::named(name_)) {
        openNetwork();
        return;
    }
    if (presentButNoSerialLine(name_))
        throw ECommError(ECommError::GetSettingsFailed, quint32(ENOTTY));
    port_->setPortName(name_);
    applyFraming();
    // No limit: a whole reply waits in the port while the window breathes.
    port_->setReadBufferSize(0);
    port_->clearError();
    errno = 0;
    if (!port_->open(QIODevice::ReadWrite)) {
        const int err = errno;
        const QSerialPort::SerialPortError e = port_->error();
        port_->clearError();
        quint8 code = ECommError::OpenFailed;
        if (err == ENOTTY)
            code = ECommError::GetSettingsFailed; // opened, but it is no serial line
        else if (e == QSerialPort::UnsupportedOperationError)
            code = ECommError::SetSettingsFailed;
        throw ECommError(code, quint32(err));
    }
    // Pseudo-terminals have no modem lines; raising them fails there while the line works.
    auto raise = [this](bool ok) {
        if (ok || port_->error() == QSerialPort::UnsupportedOperationError) {
            port_->clearError();
            return;
        }
        const quint32 err = lastError();
        port_->clearError();
        port_->close();
        throw ECommError(ECommError::SetSettingsFailed, err);
    };
    raise(port_->setDataTerminalReady(true));
    raise(port_->setRequestToSend(true));
    open_ = true;
    if (observer_)
        observer_->portOpened(*this);
}

void TCommPort::Close() {
    if (!open_)
        return;
    open_ = false;
    lost_ = false;
    if (net_) {
        net_->close();
        net_.reset();
    }
    if (port_->isOpen())
        port_->close();
    port_->clearError();
    if (observer_)
        observer_->portClosed(*this);
}

void TCommPort::SetBaudRate(quint32 baud) {
    const quint32 old = baud_;
    baud_ = baud;
    if (!open_)
        return;
    if (net_) {
        try {
            onNetwork([&] { net_->setBaudRate(baud); });
        } catch (const ECommError&) {
            baud_ = old;
            throw;
        }
        return;
    }
    if (baud > quint32(INT_MAX) || !port_->setBaudRate(qint32(baud))) {
        const quint32 err = lastError();
        port_->clearError();
        baud_ = old;
        port_->setBaudRate(qint32(old));
        port_->clearError();
        throw ECommError(ECommError::BaudRefused, err);
    }
}

void TCommPort::SetPortName(const QString& name) {
    if (open_)
        throw ECommError(ECommError::NameWhileOpen, 0);
    name_ = name;
}

void TCommPort::OpenAt(quint32 baud, const QString& name, int mode) {
    switch (mode) {
    case 0:
        dataBits_ = 7;
        parity_ = 'E';
        stopBits_ = 2;
        break;
    case 1:
        dataBits_ = 8;
        parity_ = 'N';
        stopBits_ = 1;
        break;
    default:
        dataBits_ = 8;
        parity_ = 'N';
        stopBits_ = 2;
        break;
    }
    Close();
    SetBaudRate(baud);
    SetPortName(name);
    Open();
}

void TCommPort::Write(const char* data, qint64 length) {
    if (!open_)
        throw ECommError(ECommError::NotOpen, 0);
    if (lost_)
        raiseLost(ECommError::WriteFailed);
    if (!data || length <= 0)
        return;
    if (net_)
        return onNetwork([&] { net_->write(data, length, writeStallMs_); });
    if (port_->write(data, length) != length) {
        const quint32 err = lastError();
        port_->clearError();
        port_->clear(QSerialPort::Output);
        throw ECommError(ECommError::WriteFailed, err);
    }
    // write() only queues; hand every byte to the driver before returning.
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    qint64 left = port_->bytesToWrite();
    while (left > 0) {
        if (!port_->waitForBytesWritten(100) && !lost_)
            port_->clearError(); // a time-out only means the driver is still busy
        if (lost_)
            raiseLost(ECommError::WriteFailed);
        const qint64 now = port_->bytesToWrite();
        if (now < left) {
            left = now;
            sinceProgress.restart();
        } else if (sinceProgress.hasExpired(writeStallMs_)) {
            port_->clear(QSerialPort::Output);
            port_->clearError();
            throw ECommError(ECommError::WriteFailed, quint32(EAGAIN));
        }
    }
}

quint8 TCommPort::ReadByte() {
    if (!open_)
        throw ECommError(ECommError::NotOpen, 0);
    if (lost_)
        raiseLost(ECommError::ReadFailed);
    if (net_)
        return onNetwork([&] { return net_->take(); });
    if (port_->bytesAvailable() == 0)
        pump(0);
    char c = 0;
    if (!port_->getChar(&c)) {
        if (lost_)
            raiseLost(ECommError::ReadFailed);
        port_->clearError();
        throw ECommError(ECommError::ReadFailed, quint32(EAGAIN));
    }
    return quint8(c);
}

quint32 TCommPort::BytesWaiting() {
    if (!open_)
        throw ECommError(ECommError::NotOpen, 0);
    if (lost_)
        raiseLost(ECommError::StatusFailed);
    if (net_) {
        const qint64 n = onNetwork([&] { return net_->waiting(); });
        return n > qint64(UINT_MAX) ? UINT_MAX : quint32(n);
    }
    // The port only moves bytes from the driver into its buffer when asked to read.
    pump(0);
    if (lost_)
        raiseLost(ECommError::StatusFailed);
    port_->clearError();
    const qint64 n = port_->bytesAvailable();
    return n > qint64(UINT_MAX) ? UINT_MAX : quint32(n);
}

void TCommPort::Purge() {
    if (!open_)
        throw ECommError(ECommError::NotOpen, 0);
    if (lost_)
        raiseLost(ECommError::PurgeFailed);
    if (net_)
        return onNetwork([&] { net_->purge(); });
    for (auto direction : {QSerialPort::Input, QSerialPort::Output}) {
        if (!port_->clear(direction)) {
            const quint32 err = lastError();
            port_->clearError();
            if (lost_)
                raiseLost(ECommError::PurgeFailed);
            throw ECommError(ECommError::PurgeFailed, err);
        }
    }
}

bool TCommPort::WaitForData(int timeoutMs) {
    if (!open_ || lost_)
        return false;
    if (net_)
        return net_->waitForData(timeoutMs);
    if (port_->bytesAvailable() > 0)
        return true;
    const QDeadlineTimer deadline(qMax(0, timeoutMs));
    do {
        pump(int(qMin<qint64>(deadline.remainingTime(), INT_MAX)));
        if (lost_)
            return false;
        if (port_->bytesAvailable() > 0)
            return true;
    } while (!deadline.hasExpired());
    return false;
}

void TCommPort::pump(int timeoutMs) {
#ifdef Q_OS_UNIX
    pollfd p{};
    p.fd = int(port_->handle());
    p.events = POLLIN;
    int r = 0;
    const QDeadlineTimer deadline(qMax(0, timeoutMs));
    do {
        r = ::poll(&p, 1, int(qMax<qint64>(0, deadline.remainingTime())));
    } while (r < 0 && errno == EINTR);
    if (r < 0) {
        noteLost(errno);
        return;
    }
    if (r == 0)
        return;
    const qint64 before = port_->bytesAvailable();
    if (p.revents & POLLIN) {
        port_->waitForReadyRead(0);
        if (!lost_)
            port_->clearError();
    }
    // A hung-up line polls ready forever without giving bytes: that is a vanished device.
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) && port_->bytesAvailable() == before)
        noteLost(EIO);
#else
    // The port waits on its own handle; a vanished device reports itself through
    // errorOccurred, a time-out is no failure.
    port_->waitForReadyRead(qMax(0, timeoutMs));
    if (!lost_)
        port_->clearError();
#endif
}

void TCommPort::noteLost(int err) {
    if (lost_ || !open_)
        return;
    lost_ = true;
    lostErrno_ = err;
    // Nobody may call again soon (the port idles between operations); close it from the
    // event loop so the failure does not repeat there endlessly.
    QMetaObject::invokeMethod(
        port_.get(),
        [this] {
            if (lost_ && open_ && port_->isOpen())
                port_->close();
        },
        Qt::QueuedConnection);
}

void TCommPort::raiseLost(quint8 code) {
    const quint32 err = quint32(lostErrno_);
    Close();
    throw ECommError(code, err);
}
