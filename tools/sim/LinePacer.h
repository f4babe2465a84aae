#pragma once

#include <QByteArray>
#include <chrono>

class PtyDevice;

// Imitates the line speed on a pseudo-terminal, which has none: answers leave no faster than
// 10 bits per byte at the chosen baud rate, and none starts before the request it answers
// would have finished arriving. Baud 0 sends at once.
class LinePacer {
  public:
    using Clock = std::chrono::steady_clock;

    explicit LinePacer(int baud);

    // Bytes just read from the line: returns when the last of them would have arrived.
    Clock::time_point received(qsizetype count, Clock::time_point now);

    void queue(const QByteArray& bytes, Clock::time_point notBefore, Clock::time_point now);
    // Forgets what was not sent yet; returns how many bytes that was.
    qsizetype dropPending();
    bool idle() const { return pending_.isEmpty(); }

    // Writes what the line speed allows now. Returns the count written, -1 when the device side
    // has no peer.
    qsizetype pump(PtyDevice& device, Clock::time_point now);
    // The pseudo-terminal took nothing: wait until it is writable.
    bool blocked() const { return blocked_; }
    void unblock() { blocked_ = false; }
    // Milliseconds until pump() has bytes to send; -1 when nothing is waiting for the clock.
    int msUntilDue(Clock::time_point now) const;

  private:
    Clock::duration byteTime_;
    qsizetype chunk_;
    QByteArray pending_;
    Clock::time_point lineAt_{}; // when the next byte may leave
    Clock::time_point inAt_{};   // when the last byte received would have arrived
    bool blocked_ = false;
};
