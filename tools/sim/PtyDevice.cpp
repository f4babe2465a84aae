#include "PtyDevice.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

PtyDevice::~PtyDevice() {
    if (device_ >= 0)
        ::close(device_);
    if (master_ >= 0)
        ::close(master_);
}

bool PtyDevice::open(QString* error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        *error = systemError("grantpt/unlockpt");
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        *error = systemError("ptsname");
        return false;
    }
    devicePath_ = QString::fromLocal8Bit(name);
    device_ = ::open(name, O_RDWR | O_NOCTTY);
    if (device_ < 0) {
        *error = systemError("open device side");
        return false;
    }
    termios tio{};
    if (tcgetattr(device_, &tio) != 0) {
        *error = systemError("tcgetattr");
        return false;
    }
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tio.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(device_, TCSANOW, &tio) != 0) {
        *error = systemError("tcsetattr");
        return false;
    }
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = systemError("fcntl O_NONBLOCK");
        return false;
    }
    return true;
}

PtyDevice::ReadState PtyDevice::readAvailable(QByteArray& into) {
    char buffer[4096];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, n);
            any = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO)
            return any ? ReadState::Data : ReadState::NoPeer;
        return any ? ReadState::Data : ReadState::Empty;
    }
}

qsizetype PtyDevice::writeSome(const char* data, qsizetype size) {
    for (;;) {
        const ssize_t n = ::write(master_, data, size_t(size));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return -1;
    }
}
