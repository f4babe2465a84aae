#pragma once

#include "protocol/Frames.h"

#include <QByteArray>
#include <QDateTime>
#include <functional>
#include <optional>

class ECommError;
class TCommPort;
class UserSeam;
class WireTrace;

// Poll limits and periods of the exchange. Tests shorten the periods; the defaults are the
// sign's.
struct ExchangeTiming {
    int pollMs = 50;           // acknowledgements and replies
    int quietPollMs = 3;       // acknowledgements during the link handshake
    int passPollUs = 2000;     // pass-through acknowledgements
    int polls = 101;           // per byte
    int passPolls = 1001;      // per byte, pass-through
    int connectWaitMs = 10000; // after a connection, before the clock frame

    // A shorter poll period (tests, a fast line): every wait polls at most this often, so
    // the time-outs, counted in polls, shrink with it.
    void pollEvery(int ms) {
        pollMs = ms;
        quietPollMs = quietPollMs < ms ? quietPollMs : ms;
        passPollUs = passPollUs < ms * 1000 ? passPollUs : ms * 1000;
    }
};

// What the line did, counted for the line check (`ledsign doctor`): the answers that came and
// the ways answers went wrong. The display controller's answers are its own business and are
// left out, as are the link handshake's time-outs (a silent sign is the link's finding).
struct LineTally {
    int answers = 0;       // acknowledgements and replies that came, whole or not
    int negative = 0;      // acknowledgements whose second byte was not the positive one
    int timeOuts = 0;      // acknowledgements and replies that never came (the line gone too)
    int brokenReplies = 0; // replies that ended before their data or ran past their buffer
    int strayBytes = 0;    // bytes waiting where no answer was due, dropped
};

// The exchange state of the whole run (sequence number and flags) and the request/answer
// primitives on top of the serial port.
class Exchange {
  public:
    Exchange(TCommPort& port, UserSeam& seam);

    TCommPort& port() { return port_; }
    UserSeam& seam() { return seam_; }
    ExchangeTiming& timing() { return timing_; }

    quint8 sequence() const { return sequence_; }
    bool transferError() const { return transferError_; }
    void setTransferError(bool on) { transferError_ = on; }
    bool quiet() const { return quiet_; }
    void setQuiet(bool on) { quiet_ = on; }
    bool displayReachable() const { return displayReachable_; }
    void setDisplayReachable(bool on) { displayReachable_ = on; }
    // The PC's local time for display frames; tests pin it.
    void setClock(std::function<QDateTime()> now) { now_ = std::move(now); }
    QDateTime now() const { return now_(); }

    // Records every frame, answer, time-out and port event; null for none.
    void setTrace(WireTrace* trace);
    WireTrace* trace() const { return trace_; }

    LineTally& tally() { return tally_; }

    // One exchange at a time: an operation holds the exchange while it runs.
    bool busy() const { return busy_; }
    class Hold {
      public:
        explicit Hold(Exchange& e) : e_(e) { e_.busy_ = true; }
        ~Hold() { e_.busy_ = false; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        Exchange& e_;
    };

    // Builds and writes a device frame; for all but a read, then reads the acknowledgement.
    // Write data come from bank (the sealed 4100-byte bank buffer) at offset
    // address - bankBase(bankNo); bytes past its end are the built-in code of capcode #1,
    // function bit B.
    bool SendRequest(quint32 address, quint16 length, quint8 command,
                     const QByteArray* bank = nullptr, int bankNo = 0);
    // Sends a stuffed display frame (end byte included) as a pass-through frame.
    bool SendToDisplay(const QByteArray& stuffedDisplayFrame);
    void SendClock(quint8 stage);
    // Collects a reply up to its end byte, still stuffed, at most capacity bytes.
    bool ReadReply(QByteArray& reply, int capacity);
    bool WriteFrame(const QByteArray& stuffed);
    // Read request, reply, unstuff: the count data bytes from byte 14, or nothing with the
    // transfer error flag set. unstuffedReply, when given, receives the whole reply.
    std::optional<QByteArray> ReadMemory(quint32 address, int count, int capacity,
                                         QByteArray* unstuffedReply = nullptr);
    // Waits on the monotonic clock without letting the window run.
    void HighResWait(qint64 microseconds);

    // Drops whatever waits on an open line (counted as stray bytes); a failure is only traced.
    void purge();

  private:
    enum class Wait { Byte, TimedOut, Closed };
    // Polls for one byte: after each empty poll the window breathes, then the port waits
    // up to one period for data and returns as soon as any arrive.
    Wait awaitByte(int polls, int periodMs, quint8& byte);
    bool readAck(bool passThrough);
    QByteArray writeData(quint32 address, quint16 length, const QByteArray* bank, int bankNo) const;
    void traceFailure(const ECommError& e);
    void showTransmitError();
    // A missed acknowledgement or reply, whether it timed out or the port went away; or a
    // reply that came broken (ended before its data, ran past its buffer).
    void ackFailed(bool passThrough);
    void replyFailed(bool cameBroken = false);

    TCommPort& port_;
    UserSeam& seam_;
    ExchangeTiming timing_;
    quint8 sequence_ = wire::kFirstSequence;
    bool transferError_ = false;
    bool quiet_ = false;
    bool displayReachable_ = false;
    bool busy_ = false;
    WireTrace* trace_ = nullptr;
    LineTally tally_;
    std::function<QDateTime()> now_ = [] { return QDateTime::currentDateTime(); };
};
