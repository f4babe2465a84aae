#pragma once

// The far end of a real pseudo-terminal, played by a test: it collects each frame the tool
// sends (up to its end byte 0x03) and answers from a script, on its own thread, while the
// tool's exchange waits on the user-interface thread.

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

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

    PtyPeer();
    ~PtyPeer();

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
    bool waitForFrames(int n, int timeoutMs = 5000);

  private:
    void run();
    void writeAll(const QByteArray& bytes);
    void closeLine();

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
