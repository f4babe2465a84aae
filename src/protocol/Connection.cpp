#include "protocol/Connection.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Exchange.h"
#include "protocol/Link.h"
#include "protocol/OperationHost.h"
#include "serial/TCommPort.h"

namespace {

constexpr int kDotCycle = 7; // 1..6 dots, then none

} // namespace

ConnectionAttempts::ConnectionAttempts(Exchange& exchange, LinkState& link, OperationHost& host)
    : ex_(exchange), link_(link), host_(host) {}

void ConnectionAttempts::prepare() {
    link_.cancelled = false;
    ex_.seam().setProgress(0);
    ex_.seam().setProgressMax(kProgressMax);
}

void ConnectionAttempts::cancel() {
    link_.cancelled = true;
}

void ConnectionAttempts::finish() {
    ex_.seam().setProgress(0);
    if (ex_.busy())
        return; // the attempt under way closes the port when it ends
    try {
        ex_.port().Close();
    } catch (const ECommError&) {
    }
}

ConnectionAttempts::Outcome
ConnectionAttempts::connect(const QString& chosenPort,
                            const std::function<void(const QString&)>& showText) {
    if (ex_.busy())
        return Outcome::Busy;
    link_.portName = chosenPort.trimmed();
    Exchange::Hold hold(ex_);
    running_ = true;
    Outcome outcome = Outcome::Failed;
    try {
        outcome = attempts(showText);
    } catch (const ECommError&) {
        // The line failed under our feet: count it as a failed connection.
        try {
            ex_.port().Close();
        } catch (const ECommError&) {
        }
        ex_.seam().message(msg::connectionFail);
    }
    running_ = false;
    // A new port was chosen: until it answered, nothing is linked.
    if (outcome != Outcome::Connected)
        host_.lineLost();
    return outcome;
}

ConnectionAttempts::Outcome
ConnectionAttempts::attempts(const std::function<void(const QString&)>& showText) {
    UserSeam& seam = ex_.seam();
    OpenChosenPort(ex_, link_); // a failure shows now, and again at the first attempt
    link_.cancelled = false;
    int failures = 0;
    int dots = 0;
    while (!link_.cancelled) {
        dots = (dots + 1) % kDotCycle;
        if (showText)
            showText(msg::connecting(dots));
        seam.breathe();
        if (LinkToSign(ex_, link_)) {
            if (ex_.displayReachable()) {
                // The display controller needs this long after a reboot before it takes
                // the clock.
                const int ms = ex_.timing().connectWaitMs;
                if (wait_)
                    wait_(ms);
                else
                    ex_.HighResWait(qint64(ms) * 1000);
                ex_.SendClock(wire::StageConnected);
            }
            ex_.setTransferError(false);
            host_.lineLinked(link_.portName);
            seam.message(msg::connectionSuccess);
            host_.enablePager();
            return Outcome::Connected;
        }
        if (++failures >= kMaxAttempts) {
            seam.message(msg::connectionFail);
            return Outcome::Failed;
        }
    }
    return Outcome::Cancelled;
}
