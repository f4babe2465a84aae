#include "batch/BatchStation.h"

#include "backup/Backups.h"
#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/ParamImage.h"
#include "protocol/Banks.h"
#include "protocol/Exchange.h"
#include "protocol/Link.h"
#include "protocol/OperationHost.h"
#include "protocol/PagerOperations.h"
#include "serial/TCommPort.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace batch {

namespace {

void tell(const StationEvent& e) {
    const QByteArray line = formatEvent(e);
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

// What the parent sends on standard input: perhaps an image, perhaps Stop. A closed input is
// a parent that is gone, and counts as Stop. A thread of its own reads it, so the line's waits
// only ever look at what has come.
class ParentInput {
  public:
    ParentInput() : state_(std::make_shared<State>()) {
        std::thread([state = state_] {
            std::string line;
            while (std::getline(std::cin, line)) {
                const std::optional<StationEvent> e = parseEvent(line);
                const std::lock_guard hold(state->mutex);
                if (e && e->kind == StationEvent::Kind::Stop)
                    state->stop = true;
                else if (e)
                    state->events.push_back(*e);
                state->changed.notify_all();
            }
            const std::lock_guard hold(state->mutex);
            state->stop = true;
            state->changed.notify_all();
        }).detach(); // it may still be reading when the station ends
    }
    // Blocks for the next event other than Stop; nothing once Stop came.
    std::optional<StationEvent> next() {
        std::unique_lock hold(state_->mutex);
        state_->changed.wait(hold, [&] { return state_->stop || !state_->events.empty(); });
        if (state_->stop)
            return std::nullopt;
        StationEvent e = state_->events.front();
        state_->events.pop_front();
        return e;
    }
    bool stopAsked() {
        const std::lock_guard hold(state_->mutex);
        return state_->stop;
    }

  private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<StationEvent> events;
        bool stop = false;
    };
    std::shared_ptr<State> state_;
};

// The parent shows everything: the sign's questions are answered as a line's new signs need
// (Yes to overwriting a blank sign), texts become events for it.
class StationSeam : public UserSeam {
  public:
    bool quietLink = false;
    void message(const QString& text) override { say(text); }
    void warning(const QString& text) override { say(text); }
    void fileError(const QString& text) override { say(text); }
    void error(const QString& text) override { say(text); }
    bool askYesNo(const QString&) override { return true; }
    SaveChoice askSaveChanges(const QString&) override { return SaveChoice::Cancel; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void setStatus(const QString& text) override {
        if (text == msg::statusErase)
            erased_ = true;
    }
    // A bank's read after its erase is the read-back; every other step is the Write.
    void setProgressMax(int maximum) override {
        max_ = qMax(1, maximum);
        if (quietLink)
            return;
        const StationPhase p = erased_ && maximum == progress::kReadBank ? StationPhase::ReadingBack
                                                                         : StationPhase::Writing;
        if (p != phase_)
            tell(StationEvent::ofPhase(phase_ = p));
    }
    void setProgress(int position) override { show(position); }
    void advanceProgress(int by) override { show(position_ + by); }
    void breathe() override {}
    bool erased() const { return erased_; }
    void startWrite() {
        erased_ = false;
        tell(StationEvent::ofPhase(phase_ = StationPhase::Writing));
    }

  private:
    void say(const QString& text) {
        if (!quietLink)
            tell(StationEvent::ofText(StationEvent::Kind::Message, text));
    }
    void show(int position) {
        position_ = position;
        const int percent = qBound(0, position * 100 / max_, 100);
        if (percent / 10 != shown_ / 10 && !quietLink)
            tell(StationEvent::ofPercent(percent));
        shown_ = percent;
    }
    int max_ = 100, position_ = 0, shown_ = -1;
    bool erased_ = false;
    StationPhase phase_ = StationPhase::Waiting;
};

class NoHost : public OperationHost {
  public:
    void collectPendingRecord() override {}
    void refreshFromImage() override {}
    void setWriteEnabled(bool) override {}
    void enablePager() override {}
};

// Each backup is reported to the line (stations back up side by side: the store takes one at
// a time), by the file this station's call wrote.
class ReportingKeeper : public ReadKeeper {
  public:
    bool keep(const SignReading& reading, QString* reason) override {
        const QString file = store_.add(reading, reason);
        if (file.isEmpty())
            return false;
        tell(StationEvent::ofText(StationEvent::Kind::Firmware, reading.firmware));
        tell(StationEvent::ofText(StationEvent::Kind::Backup, QFileInfo(file).fileName()));
        return true;
    }

  private:
    backup::Store store_;
};

} // namespace

int runStation(const StationJob& job) {
    // Ctrl+C and a closed terminal reach the whole group, a stopped service every process of
    // it; a signal would cut a bank short, so the parent says when to stop on standard input
    // instead (or by closing it): a Write under way stops before it erases or once its
    // current bank is written and read back.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
#ifdef Q_OS_UNIX
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
#endif
    ParentInput parent;
    TCommPort port;
    StationSeam seam;
    Exchange ex(port, seam);
    if (job.pollMs > 0)
        ex.timing().pollEvery(job.pollMs);
    LinkState link;
    link.portName = job.port;
    // A sign answers the link, or it does not; a port that cannot be opened ends the station.
    auto answers = [&]() -> std::optional<bool> {
        seam.quietLink = true;
        link.cancelled = false;
        const bool ok = LinkToSign(ex, link);
        seam.quietLink = false;
        if (ok) {
            try {
                port.Close();
            } catch (const ECommError&) {
            }
        }
        if (link.cancelled && !ok)
            return std::nullopt;
        return ok;
    };
    constexpr int kProbeGapMs = 100;
    if (job.afterSign) {
        tell(StationEvent::ofPhase(StationPhase::Unplug));
        // Silent since the first request the sign left unanswered: counted from the request's
        // end, the time a request takes to go unanswered (longer on a loaded machine) would
        // add to the absence, and a sign swapped within it would never be seen to go.
        QElapsedTimer silent;
        for (;;) {
            if (parent.stopAsked())
                return kStationStopped;
            QElapsedTimer asked;
            asked.start();
            const auto a = answers();
            if (!a)
                return kStationPortFailed;
            if (*a) {
                silent.invalidate();
            } else {
                if (!silent.isValid())
                    silent = asked;
                if (silent.elapsed() >= job.absenceMs)
                    break;
            }
            QThread::msleep(kProbeGapMs);
        }
    }
    if (job.waitForSign) {
        tell(StationEvent::ofPhase(StationPhase::Waiting));
        for (;;) {
            if (parent.stopAsked())
                return kStationStopped;
            const auto a = answers();
            if (!a)
                return kStationPortFailed;
            if (*a)
                break;
            QThread::msleep(kProbeGapMs);
        }
    }
    tell(StationEvent{StationEvent::Kind::Ready, {}, 0, {}, {}});
    const std::optional<StationEvent> unit = parent.next();
    if (!unit || unit->kind != StationEvent::Kind::Image)
        return kStationStopped;
    ParamImage image;
    image.assign(unit->bytes);
    image.writeModelTag();
    seam.startWrite();
    NoHost host;
    ReportingKeeper keeper;
    PagerOperations ops(ex, image, link, host);
    ops.setKeeper(&keeper);
    PagerOperations::WriteChoices choices;
    choices.backUp = true;
    choices.stopBetweenBanks = [&parent] { return parent.stopAsked(); };
    choices.stopBeforeErase = choices.stopBetweenBanks;
    const bool ok = ops.write(choices);
    try {
        port.Close();
    } catch (const ECommError&) {
    }
    if (ok)
        return kStationWritten;
    return !seam.erased() && parent.stopAsked() ? kStationStopped : kStationFailed;
}

} // namespace batch
