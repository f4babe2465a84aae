#include "app/production/TileState.h"

#include "core/Messages.h"

namespace production {

namespace pm = msg::production;

QString stateWords(const TileState& state) {
    switch (state.stage) {
    case Stage::Idle:
        return pm::stageIdle;
    case Stage::Waiting:
        return pm::stageWaiting;
    case Stage::Writing:
        return pm::stageWriting(state.percent);
    case Stage::ReadingBack:
        return pm::stageReadingBack;
    case Stage::Pass:
        return pm::stagePass;
    case Stage::Fail:
        return pm::stageFail;
    case Stage::Unplug:
        return pm::stageUnplug;
    case Stage::Stopped:
        return pm::stageStopped;
    }
    return QString();
}

QString shownWords(const TileState& state) {
    if (state.then == Stage::Idle)
        return stateWords(state);
    return stateWords(state) + QLatin1Char('\n') + stateWords({state.then, {}, 0, {}, {}});
}

QString spokenState(const QString& jig, const QString& port, const TileState& state) {
    QString words = stateWords(state);
    if (state.then != Stage::Idle)
        words += QStringLiteral(", ") + stateWords({state.then, {}, 0, {}, {}});
    return pm::spoken(jig, port, state.unit, words, state.reason);
}

int WriteProgress::follow(batch::StationState state, int stepPercent) {
    const bool writing =
        state == batch::StationState::Writing || state == batch::StationState::ReadingBack;
    if (!writing) {
        if (writing_ && state == batch::StationState::Passed)
            expectedSteps_ = qMax(1, steps_);
        writing_ = false;
        return shown_ = 0;
    }
    if (!writing_) {
        writing_ = true;
        steps_ = 1;
        shown_ = 0;
    } else if (stepPercent < lastPercent_) {
        ++steps_;
    }
    lastPercent_ = stepPercent;
    const int whole = ((steps_ - 1) * 100 + stepPercent) / qMax(expectedSteps_, steps_);
    // Never backwards, and 100 only once it passed.
    shown_ = qBound(shown_, whole, 99);
    return shown_;
}

TileState tileFor(const batch::Station& station, const QString& unitLabel,
                  const std::optional<LastResult>& last, bool stopping) {
    using batch::StationState;
    auto result = [&](Stage then) {
        TileState t{last->passed ? Stage::Pass : Stage::Fail, last->unit, 0, QString(), then};
        if (!last->passed)
            t.reason = plainReason(last->reason);
        return t;
    };
    switch (station.state) {
    case StationState::Writing:
        return {Stage::Writing, unitLabel, station.percent, {}, {}};
    case StationState::ReadingBack:
        return {Stage::ReadingBack, unitLabel, station.percent, {}, {}};
    case StationState::Waiting:
    case StationState::AskingSign:
        // A sign that failed is in front of the operator until the next one answers.
        if (last && !last->passed)
            return result(Stage::Waiting);
        return {Stage::Waiting, unitLabel, 0, {}, {}};
    case StationState::Unplug:
        if (last)
            return result(Stage::Unplug);
        return {Stage::Unplug, unitLabel, 0, {}, {}};
    case StationState::Passed:
    case StationState::Failed:
    case StationState::Ended:
        if (last)
            return result(Stage::Idle);
        break;
    case StationState::Idle:
        return {};
    }
    return {stopping ? Stage::Stopped : Stage::Idle, {}, 0, {}, {}};
}

QString plainReason(const QString& message) {
    const QString m = message.trimmed();
    if (m.isEmpty())
        return pm::reasonUnknown;
    if (m == msg::boardNotFound.trimmed())
        return pm::reasonNoAnswer;
    if (m == msg::transmitError || m == msg::readError)
        return pm::reasonLineFailed;
    if (m == msg::notPocsag.trimmed())
        return pm::reasonFlex;
    // The texts with a detail in them are known by what comes before it.
    const QString stoppedAfterBank =
        msg::writeStoppedBetweenBanks(0, 1).section(QLatin1Char(' '), 0, 2);
    const QString noBackup = msg::backupFailed(QString()).section(QLatin1Char('('), 0, 0);
    if (m == msg::batch::interrupted || m.startsWith(stoppedAfterBank))
        return pm::reasonStopped;
    if (m == msg::batch::portFailed)
        return pm::reasonPortFailed;
    if (m.startsWith(noBackup))
        return pm::reasonNoBackup;
    if (m.startsWith(msg::verifyError))
        return pm::reasonReadBack;
    return m;
}

} // namespace production
