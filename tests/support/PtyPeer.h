#pragma once

// The far end of a real pseudo-terminal, played by a test: it collects each frame the tool
// sends (up to its end byte 0x03) and answers from a script, on its own thread, while the
// tool's exchange waits on the user-interface thread.

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

class PtyPeer {
  public:
    // What the sign does with one frame.
    struct Answer {
        QByteArray bytes;    // sent back at once
        bool hangUp = false; // then the device vanishes (both sides of the line close)
        static Answer silent() { return {}; }
        static Answer with(const QByteArray& b) { return {b, false}; }
        static Answer vanish() { return {{}, true}; }
    };
    using Script = std::function<Answer(const QByteArray& frame, int index)>;

    PtyPeer() {
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

    ~PtyPeer() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        closeLine();
    }

    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool ok() const { return master_ >= 0 && holder_ >= 0; }
    QString path() const { return path_; }

    void setScript(Script s) {
        std::lock_guard<std::mutex> l(m_);
        script_ = std::move(s);
    }
    // The same answer to every frame.
    void answerAll(const QByteArray& bytes) {
        setScript([bytes](const QByteArray&, int) { return Answer::with(bytes); });
    }

    // Bytes on the line, unasked.
    void send(const QByteArray& bytes) {
        std::lock_guard<std::mutex> l(m_);
        writeAll(bytes);
    }

    QList<QByteArray> frames() const {
        std::lock_guard<std::mutex> l(m_);
        return frames_;
    }
    // Everything received that is not yet part of a whole frame.
    QByteArray pending() const {
        std::lock_guard<std::mutex> l(m_);
        return partial_;
    }
    // Waits (bounded, for the reader thread to catch up) until n frames have arrived.
    bool waitForFrames(int n, int timeoutMs = 5000) {
        std::unique_lock<std::mutex> l(m_);
        return cv_.wait_for(l, std::chrono::milliseconds(timeoutMs),
                            [&] { return frames_.size() >= n; });
    }

  private:
    void run() {
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

    void writeAll(const QByteArray& bytes) {
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

    void closeLine() {
        if (holder_ >= 0)
            ::close(holder_);
        if (master_ >= 0)
            ::close(master_);
        holder_ = master_ = -1;
    }

    int master_ = -1;
    int holder_ = -1;
    QString path_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex m_;
    std::condition_variable cv_;
    Script script_;
    QList<QByteArray> frames_;
    QByteArray partial_;
};
