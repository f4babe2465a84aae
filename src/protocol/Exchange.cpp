#include "protocol/Exchange.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/ImageLayout.h"
#include "image/ParamImage.h"
#include "protocol/WireTrace.h"
#include "serial/NetworkPort.h"
#include "serial/TCommPort.h"

#include <chrono>
#include <thread>

namespace {

constexpr quint8 kErased = 0xFF;
// The bank's built-in trailer: the second write frame runs four bytes past the bank and
// carries the code of capcode #1, function bit B there.
constexpr int kTrailerCapcode = 0;
constexpr int kTrailerFunctionBit = 1;

} // namespace

Exchange::Exchange(TCommPort& port, UserSeam& seam) : port_(port), seam_(seam) {}

void Exchange::setTrace(WireTrace* trace) {
    trace_ = trace;
    port_.setObserver(trace);
}

void Exchange::traceFailure(const ECommError& e) {
    if (trace_)
        trace_->failed(port_.portName(), msg::trace::failure(e.code), e.systemError);
}

bool Exchange::WriteFrame(const QByteArray& stuffed) {
    if (!port_.isOpen()) {
        transferError_ = true;
        return false;
    }
    if (trace_)
        trace_->sent(stuffed);
    try {
        port_.Write(stuffed.constData(), stuffed.size());
    } catch (const ECommError& e) {
        traceFailure(e);
        transferError_ = true;
        return false;
    }
    seam_.advanceProgress(int(stuffed.size()));
    return true;
}

QByteArray Exchange::writeData(quint32 address, quint16 length, const QByteArray* bank,
                               int bankNo) const {
    const qint64 start = qint64(address) - qint64(wire::bankBase(bankNo));
    const auto trailer = defaultFunCmdCode(kTrailerCapcode, kTrailerFunctionBit);
    QByteArray data(length, char(kErased));
    for (int i = 0; i < length; ++i) {
        const qint64 at = start + i;
        if (bank && at >= 0 && at < bank->size() && at < layout::kBankSize)
            data[i] = (*bank)[at];
        else if (at >= layout::kBankSize && at < layout::kBankSize + qint64(trailer.size()))
            data[i] = char(trailer[at - layout::kBankSize]);
    }
    return data;
}

bool Exchange::SendRequest(quint32 address, quint16 length, quint8 command, const QByteArray* bank,
                           int bankNo) {
    sequence_ = wire::nextSequence(sequence_);
    const QByteArray data =
        command == wire::Write ? writeData(address, length, bank, bankNo) : QByteArray();
    if (!WriteFrame(wire::deviceFrame(sequence_, command, address, length, data))) {
        // No answer can come to a frame that never left (the device gone, the line stuck):
        // that ends as a missed answer ends, never silently.
        if (command == wire::Read)
            replyFailed();
        else
            ackFailed(false);
        return false;
    }
    if (command == wire::Read)
        return true;
    return readAck(false);
}

bool Exchange::SendToDisplay(const QByteArray& stuffedDisplayFrame) {
    sequence_ = wire::nextSequence(sequence_);
    if (stuffedDisplayFrame.size() > 0xFFFF - wire::kDeviceHeader) {
        transferError_ = true;
        return false;
    }
    const quint16 length = quint16(stuffedDisplayFrame.size());
    if (!WriteFrame(
            wire::deviceFrame(sequence_, wire::PassThrough, 0, length, stuffedDisplayFrame))) {
        ackFailed(true);
        return false;
    }
    return readAck(true);
}

void Exchange::SendClock(quint8 stage) {
    if (!displayReachable_)
        return;
    const QDateTime when = now_();
    purge();
    const bool before = transferError_;
    SendToDisplay(wire::clockFrame(sequence_, stage, when));
    transferError_ = before;
}

Exchange::Wait Exchange::awaitByte(int polls, int periodMs, quint8& byte) {
    try {
        for (int poll = 0; poll < polls; ++poll) {
            if (!port_.isOpen())
                return Wait::Closed;
            if (port_.BytesWaiting() > 0) {
                byte = port_.ReadByte();
                return Wait::Byte;
            }
            seam_.breathe();
            if (!port_.isOpen())
                return Wait::Closed;
            port_.WaitForData(periodMs);
        }
    } catch (const ECommError& e) {
        traceFailure(e);
        return Wait::Closed;
    }
    return Wait::TimedOut;
}

bool Exchange::readAck(bool passThrough) {
    if (!port_.isOpen()) {
        ackFailed(passThrough);
        return false;
    }
    const int polls = passThrough ? timing_.passPolls : timing_.polls;
    const int periodMs = passThrough ? qMax(1, (timing_.passPollUs + 999) / 1000)
                         : quiet_    ? timing_.quietPollMs
                                     : timing_.pollMs;
    QByteArray ack;
    while (ack.size() < wire::kAckLength) {
        quint8 b = 0;
        const Wait w = awaitByte(polls, periodMs, b);
        if (w != Wait::Byte) {
            if (trace_ && w == Wait::TimedOut)
                trace_->timedOut(polls, ack, WireTrace::Answer::Acknowledgement);
            ackFailed(passThrough);
            return false;
        }
        ack.append(char(b));
    }
    if (trace_)
        trace_->received(ack, WireTrace::Answer::Acknowledgement);
    const bool positive = quint8(ack[1]) == wire::kAck;
    if (!passThrough) {
        ++tally_.answers;
        tally_.negative += positive ? 0 : 1;
    }
    if (!positive) {
        transferError_ = true;
        return false;
    }
    return true;
}

bool Exchange::ReadReply(QByteArray& reply, int capacity) {
    reply.clear();
    if (!port_.isOpen()) {
        // The device went away under the exchange: as a reply that never came.
        replyFailed();
        return false;
    }
    for (;;) {
        quint8 b = 0;
        const Wait w = awaitByte(timing_.polls, timing_.pollMs, b);
        if (w != Wait::Byte) {
            if (trace_ && w == Wait::TimedOut)
                trace_->timedOut(timing_.polls, reply, WireTrace::Answer::Reply);
            replyFailed();
            reply.clear();
            return false;
        }
        if (b == wire::kEnd) {
            if (reply.size() >= wire::kReplyMinimum) {
                if (trace_)
                    trace_->received(reply + char(wire::kEnd), WireTrace::Answer::Reply);
                ++tally_.answers;
                // A sign that answers faster than the polls look leaves no wait to breathe
                // in; the progress bar still has to show each reply.
                seam_.breathe();
                return true;
            }
            continue; // a stray end byte before the header is complete
        }
        if (reply.size() >= capacity) {
            if (trace_)
                trace_->received(reply, WireTrace::Answer::Reply);
            ++tally_.answers;
            replyFailed(true);
            reply.clear();
            return false;
        }
        reply.append(char(b));
        seam_.advanceProgress(1);
    }
}

std::optional<QByteArray> Exchange::ReadMemory(quint32 address, int count, int capacity,
                                               QByteArray* unstuffedReply) {
    if (count < 0 || count > 0xFFFF) {
        transferError_ = true;
        return std::nullopt;
    }
    if (!SendRequest(address, quint16(count), wire::Read))
        return std::nullopt;
    QByteArray reply;
    if (!ReadReply(reply, capacity))
        return std::nullopt;
    const QByteArray raw = wire::unstuff(reply);
    if (unstuffedReply)
        *unstuffedReply = raw;
    if (raw.size() < wire::kReplyDataOffset + count) {
        replyFailed(true);
        return std::nullopt;
    }
    return raw.mid(wire::kReplyDataOffset, count);
}

void Exchange::HighResWait(qint64 microseconds) {
    if (microseconds <= 0)
        return;
    // Sleeping to a deadline on the monotonic clock keeps the window as still as spinning
    // would, without burning a core.
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    std::this_thread::sleep_until(until);
}

void Exchange::purge() {
    if (!port_.isOpen())
        return;
    try {
        tally_.strayBytes += int(port_.BytesWaiting());
        port_.Purge();
    } catch (const ECommError& e) {
        traceFailure(e);
    }
}

void Exchange::showTransmitError() {
    QString text = msg::transmitError;
    // A network connection that went says where and why, as its open failure would.
    const auto where = NetworkPort::parse(port_.portName());
    if (where && !port_.connectionLoss().isEmpty())
        text += QLatin1Char('\n') + msg::network::lost(where->address(), port_.connectionLoss());
    seam_.message(text);
    seam_.setStatus(msg::statusReady);
    seam_.setProgress(0);
}

void Exchange::ackFailed(bool passThrough) {
    if (!passThrough && !quiet_)
        ++tally_.timeOuts;
    purge();
    if (!passThrough && !quiet_)
        showTransmitError();
    transferError_ = true;
}

void Exchange::replyFailed(bool cameBroken) {
    ++(cameBroken ? tally_.brokenReplies : tally_.timeOuts);
    purge();
    showTransmitError();
    transferError_ = true;
}
