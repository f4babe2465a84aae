#include "LinePacer.h"

#include "PtyDevice.h"

#include <algorithm>

using namespace std::chrono;

LinePacer::LinePacer(int baud)
    : byteTime_(baud > 0 ? duration_cast<Clock::duration>(nanoseconds(10'000'000'000LL / baud))
                         : Clock::duration::zero()),
      // Wake about every 2 ms while sending, not for every byte.
      chunk_(baud > 0 ? std::max(1, baud / 10 / 500) : 1) {}

LinePacer::Clock::time_point LinePacer::received(qsizetype count, Clock::time_point now) {
    inAt_ = std::max(inAt_, now) + count * byteTime_;
    return inAt_;
}

void LinePacer::queue(const QByteArray& bytes, Clock::time_point notBefore, Clock::time_point now) {
    if (pending_.isEmpty())
        lineAt_ = std::max({lineAt_, now, notBefore});
    pending_.append(bytes);
}

qsizetype LinePacer::dropPending() {
    const qsizetype n = pending_.size();
    pending_.clear();
    blocked_ = false;
    return n;
}

qsizetype LinePacer::pump(PtyDevice& device, Clock::time_point now) {
    if (pending_.isEmpty() || blocked_ || now < lineAt_)
        return 0;
    qsizetype allowed = pending_.size();
    if (byteTime_ > Clock::duration::zero())
        allowed = std::min<qsizetype>(allowed, 1 + (now - lineAt_) / byteTime_);
    const qsizetype written = device.writeSome(pending_.constData(), allowed);
    if (written < 0)
        return -1;
    if (written == 0) {
        blocked_ = true;
        return 0;
    }
    pending_.remove(0, written);
    lineAt_ += written * byteTime_;
    return written;
}

int LinePacer::msUntilDue(Clock::time_point now) const {
    if (pending_.isEmpty() || blocked_)
        return -1;
    const qsizetype batch = std::min<qsizetype>(chunk_, pending_.size());
    const Clock::time_point due = lineAt_ + (batch - 1) * byteTime_;
    if (due <= now)
        return 0;
    return int(ceil<milliseconds>(due - now).count());
}
