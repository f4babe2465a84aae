#include "PtyPeer.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return;
    path_ = QString::fromLocal8Bit(::ptsname(master_));
    // Holding the device side keeps the line up between the tool's opens, as a cable
    // would; raw mode so no byte is ever translated or echoed.
    holder_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios t{};
    if (holder_ >= 0 && ::tcgetattr(holder_, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(holder_, TCSANOW, &t);
    }
    thread_ = std::thread([this] { run(); });
}

PtyPeer::~PtyPeer() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    closeLine();
}

bool PtyPeer::waitForFrames(int n, int timeoutMs) {
    std::unique_lock<std::mutex> l(m_);
    return cv_.wait_for(l, std::chrono::milliseconds(timeoutMs),
                        [&] { return frames_.size() >= n; });
}

void PtyPeer::run() {
    char buf[4096];
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        const int r = ::poll(&p, 1, 20);
        if (r <= 0 || master_ < 0)
            continue;
        if (!(p.revents & POLLIN)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0)
            continue;
        for (ssize_t i = 0; i < n; ++i) {
            Answer a;
            {
                std::lock_guard<std::mutex> l(m_);
                partial_.append(buf[i]);
                if (quint8(buf[i]) != 0x03)
                    continue;
                frames_.append(partial_);
                partial_.clear();
                if (script_)
                    a = script_(frames_.last(), int(frames_.size()) - 1);
            }
            // Written without the lock: a large answer may block until the tool reads.
            writeAll(a.bytes);
            cv_.notify_all();
            if (a.hangUp) {
                std::lock_guard<std::mutex> l(m_);
                closeLine();
                return;
            }
        }
    }
}

void PtyPeer::writeAll(const QByteArray& bytes) {
    qsizetype done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return;
        }
        done += n;
    }
}

void PtyPeer::closeLine() {
    if (holder_ >= 0)
        ::close(holder_);
    if (master_ >= 0)
        ::close(master_);
    holder_ = master_ = -1;
}
