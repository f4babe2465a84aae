#include "batch/BatchEngine.h"

#include "core/Messages.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTimer>
#include <cmath>
#include <future>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace batch {

struct Engine::Child {
    QProcess process;
    QByteArray pending; // an unfinished line
    QElapsedTimer clock;
    bool wrote = false; // the Write began: the sign may have been changed
    bool ready = false; // a sign answers and the child waits for a unit
    bool stopSent = false;
};

namespace {

QString sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// After links are resolved: the same device node, or on Windows the same port name.
bool sameDevice(const QString& a, const QString& b) {
#ifdef Q_OS_UNIX
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false; // a port that is not there is its station's to report
    if (S_ISCHR(sa.st_mode) && S_ISCHR(sb.st_mode))
        return sa.st_rdev == sb.st_rdev;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#else
    auto bare = [](QString name) {
        name = name.toUpper();
        return name.startsWith(QLatin1String("\\\\.\\")) ? name.mid(4) : name;
    };
    return bare(a) == bare(b);
#endif
}

} // namespace

Engine::Engine(Plan plan, EngineOptions options, QObject* parent)
    : QObject(parent), plan_(std::move(plan)), options_(std::move(options)) {
    templateChecksum_ = sha256(plan_.templateImage);
    for (const QString& port : options_.ports) {
        Station s;
        s.port = port;
        stations_.push_back(s);
    }
    children_.resize(stations_.size());
    hadSign_.resize(stations_.size(), false);
    attempts_.resize(size_t(plan_.units.size()), 0);
}

Engine::~Engine() {
    // A child left alive would go on writing a sign no one watches: ask it to stop and let it
    // reach its safe point.
    for (auto& c : children_)
        if (c) {
            c->process.write(formatEvent(StationEvent::stop()));
            c->process.closeWriteChannel();
            c->process.waitForFinished(-1);
        }
    syncs_.clear(); // waits for each: the log stays open until they are done
}

std::optional<Engine::Refusal> Engine::prepare() {
    // One sign under two names would be two stations writing one sign at once.
    for (qsizetype a = 0; a < options_.ports.size(); ++a)
        for (qsizetype b = 0; b < a; ++b)
            if (sameDevice(options_.ports[b], options_.ports[a]))
                return Refusal{2, msg::batch::samePort(options_.ports[b], options_.ports[a])};

    QString reason;
    qint64 holder = 0;
    switch (log_.open(options_.logPath, &reason, &holder)) {
    case BatchLog::Opened::Ok:
        break;
    case BatchLog::Opened::Locked:
        return Refusal{2, msg::batch::logLocked(options_.logPath, holder)};
    case BatchLog::Opened::Failed:
        return Refusal{1, msg::batch::logUnusable(options_.logPath, reason)};
    }

    // A unit is done when the log holds an ok for the very image it would get now.
    QHash<QString, const LogRecord*> last, lastOk;
    QSet<QString> okImages;
    for (const LogRecord& r : log_.records()) {
        last.insert(r.unit, &r);
        if (r.result == kResultOk) {
            lastOk.insert(r.unit, &r);
            okImages.insert(r.unit + QLatin1Char(' ') + r.imageChecksum);
        }
    }
    QStringList again;
    for (int i = 0; i < plan_.units.size(); ++i) {
        const Unit& u = plan_.units[i];
        // Hashed only where the log has an ok for the unit at all.
        if (lastOk.contains(u.label) &&
            okImages.contains(u.label + QLatin1Char(' ') + sha256(u.image))) {
            ++skipped_;
            continue;
        }
        queue_.push_back(i);
        const QString unit = printable(u.label);
        if (const LogRecord* ok = lastOk.value(u.label))
            again << msg::batch::againChanged(unit, ok->templateChecksum != templateChecksum_);
        else if (const LogRecord* r = last.value(u.label))
            again << msg::batch::againNotOk(unit, r->result, r->message);
    }
    if (skipped_ > 0)
        emit notice(msg::batch::skipped(skipped_));
    for (const QString& text : again)
        emit notice(text);

    const StartRecord start{QDateTime::currentDateTimeUtc(), QCoreApplication::applicationPid(),
                            templateChecksum_, int(plan_.units.size()), options_.ports};
    if (!writeLog(start.toLine(), &reason))
        return Refusal{1, msg::batch::logUnusable(options_.logPath, reason)};
    return std::nullopt;
}

// A sync can take long on a disk that other programs keep busy, and the event loop that runs
// the stations (and perhaps a window) must not wait for it: the line is written here and synced
// on a thread. No unit goes to a station before every line is synced, so a unit is never
// written while the record of the last one could still be lost.
bool Engine::writeLog(const QByteArray& line, QString* reason) {
    if (!log_.write(line, reason))
        return false;
    ++syncing_;
    const int handle = log_.handle();
    syncs_.push_back(std::async(std::launch::async, [this, handle, sync = options_.syncLog] {
        QString why;
        const bool ok = sync(handle, &why);
        QMetaObject::invokeMethod(
            this, [this, ok, why] { logSynced(ok, why); }, Qt::QueuedConnection);
    }));
    return true;
}

void Engine::logSynced(bool ok, const QString& reason) {
    --syncing_;
    // The finished ones go; the destructor waits for any still running.
    std::erase_if(syncs_, [](const std::future<void>& f) {
        return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    if (!ok && logProblem_.isEmpty()) {
        logProblem_ = reason;
        emit problem(msg::batch::logFailed(options_.logPath, reason));
        stop();
    }
    dispatch();
    finishIfIdle();
}

void Engine::start() {
    started_ = true;
    // One station a turn of the event loop: starting its program holds the loop until the
    // program runs (tens of ms on a loaded machine), and the loop may be a window's.
    for (int i = 0; i < int(stations_.size()); ++i)
        QTimer::singleShot(0, this, [this, i] {
            if (finished_ || stations_[size_t(i)].state != StationState::Idle)
                return; // stopped meanwhile
            startNext(i);
            finishIfIdle();
        });
    emit countsChanged();
    finishIfIdle();
}

Counts Engine::counts() const {
    return {done_ + skipped_, skipped_, failed_,
            int(queue_.size()) + int(std::count_if(stations_.begin(), stations_.end(),
                                                   [](const Station& s) { return s.unit >= 0; }))};
}

void Engine::setState(int i, StationState state) {
    stations_[size_t(i)].state = state;
    emit stationChanged(i);
}

bool Engine::nothingLeft() const {
    return queue_.empty() && std::none_of(stations_.begin(), stations_.end(),
                                          [](const Station& s) { return s.unit >= 0; });
}

void Engine::startNext(int i) {
    Station& s = stations_[size_t(i)];
    s.unit = -1;
    s.firmware.clear();
    s.backup.clear();
    s.percent = 0;
    if (stopping_ || nothingLeft() || (options_.prompt && queue_.empty())) {
        setState(i, StationState::Ended);
        return;
    }
    if (options_.prompt) {
        // The operator is told which unit the sign is for.
        s.unit = queue_.front();
        queue_.pop_front();
        setState(i, StationState::AskingSign);
        emit signWanted(i, plan_.units[s.unit].label);
        return;
    }
    launch(i, hadSign_[size_t(i)]);
}

// Units go to the stations whose sign answers; once no unit is left anywhere, a station still
// waiting for a sign is told to stop.
void Engine::dispatch() {
    if (stopping_)
        return; // every child was told already
    for (int i = 0; i < int(stations_.size()); ++i) {
        Station& s = stations_[size_t(i)];
        Child* c = children_[size_t(i)].get();
        if (!c)
            continue;
        const bool mayHand = c->ready && syncing_ == 0;
        if (mayHand && s.unit < 0 && !queue_.empty()) {
            s.unit = queue_.front();
            queue_.pop_front();
        }
        if (mayHand && s.unit >= 0) {
            c->ready = false;
            c->process.write(formatEvent(StationEvent::ofImage(plan_.units[s.unit].image)));
            emit stationChanged(i);
        } else if (s.unit < 0 && !c->stopSent && nothingLeft()) {
            c->stopSent = true;
            c->process.write(formatEvent(StationEvent::stop()));
        }
    }
}

void Engine::signReady(int i) {
    if (stations_[size_t(i)].state != StationState::AskingSign)
        return;
    // Asked on the terminal, the operator has swapped the sign: the station only waits for
    // the new one to answer (it may still be starting up), not for the old one to go.
    launch(i, false);
}

void Engine::noSign(int i) {
    Station& s = stations_[size_t(i)];
    if (s.state != StationState::AskingSign)
        return;
    queue_.push_front(s.unit);
    s.unit = -1;
    setState(i, StationState::Ended);
    finishIfIdle();
}

void Engine::launch(int i, bool afterSign) {
    Station& s = stations_[size_t(i)];
    auto child = std::make_unique<Child>();
    Child* c = child.get();
    children_[size_t(i)] = std::move(child);
    c->clock.start();
    c->process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&c->process, &QProcess::readyReadStandardOutput, this, [this, i, c] {
        if (children_[size_t(i)].get() == c)
            takeOutput(i);
    });
    connect(
        &c->process, &QProcess::finished, this,
        [this, i, c](int code, QProcess::ExitStatus how) {
            if (children_[size_t(i)].get() != c)
                return;
            takeOutput(i);
            childEnded(i, how == QProcess::NormalExit ? code : kStationFailed);
        },
        Qt::QueuedConnection);
    // A program that cannot start never finishes: its station ends here instead of waiting.
    connect(
        &c->process, &QProcess::errorOccurred, this,
        [this, i, c](QProcess::ProcessError error) {
            if (children_[size_t(i)].get() != c || error != QProcess::FailedToStart)
                return;
            emit problem(
                msg::batch::stationNotStarted(options_.stationProgram, c->process.errorString()));
            childEnded(i, kStationPortFailed);
        },
        Qt::QueuedConnection);
    StationJob job;
    job.port = s.port;
    job.afterSign = afterSign;
    job.absenceMs = options_.absenceMs;
    job.pollMs = options_.pollMs;
    c->process.start(options_.stationProgram, stationArguments(job));
    setState(i, afterSign ? StationState::Unplug : StationState::Waiting);
}

void Engine::takeOutput(int i) {
    Station& s = stations_[size_t(i)];
    Child& c = *children_[size_t(i)];
    c.pending += c.process.readAllStandardOutput();
    bool changed = false;
    for (qsizetype nl; (nl = c.pending.indexOf('\n')) >= 0;) {
        const std::optional<StationEvent> e = parseEvent(QByteArrayView(c.pending).first(nl));
        c.pending.remove(0, nl + 1);
        if (!e)
            continue;
        changed = true;
        switch (e->kind) {
        case StationEvent::Kind::Phase:
            s.percent = 0;
            switch (e->phase) {
            case StationPhase::Waiting:
                s.state = StationState::Waiting;
                break;
            case StationPhase::Unplug:
                s.state = StationState::Unplug;
                break;
            case StationPhase::Writing:
                if (!c.wrote) {
                    c.clock.start();
                    s.reason.clear();
                }
                c.wrote = true;
                s.state = StationState::Writing;
                break;
            case StationPhase::ReadingBack:
                s.state = StationState::ReadingBack;
                break;
            }
            break;
        case StationEvent::Kind::Percent:
            s.percent = e->number;
            break;
        case StationEvent::Kind::Firmware:
            s.firmware = e->text;
            break;
        case StationEvent::Kind::Backup:
            s.backup = e->text;
            break;
        case StationEvent::Kind::Message:
            s.reason = e->text;
            break;
        case StationEvent::Kind::Ready:
            c.ready = true;
            break;
        case StationEvent::Kind::Image:
        case StationEvent::Kind::Stop:
            break;
        }
    }
    if (changed)
        emit stationChanged(i);
    if (c.ready)
        dispatch();
}

void Engine::record(int i, const QString& result, const QString& message) {
    const Station& s = stations_[size_t(i)];
    const Unit& u = plan_.units[s.unit];
    const Child& c = *children_[size_t(i)];
    LogRecord r;
    r.time = QDateTime::currentDateTimeUtc();
    r.unit = u.label;
    r.port = s.port;
    r.firmware = s.firmware;
    r.templateChecksum = templateChecksum_;
    r.imageChecksum = sha256(u.image);
    r.backup = s.backup;
    r.result = result;
    r.message = message;
    r.seconds = std::trunc(double(c.clock.elapsed()) / 100.0) / 10.0; // tenths, cut
    r.attempt = attempts_[size_t(s.unit)] + 1;
    QString reason;
    if (logProblem_.isEmpty() && !writeLog(r.toLine(), &reason)) {
        // A unit written without its record would be written again by the next run: no new
        // unit starts while the log cannot take them.
        logProblem_ = reason;
        emit problem(msg::batch::logFailed(options_.logPath, reason));
        stop();
    }
    emit attemptEnded(i, r);
}

void Engine::childEnded(int i, int code) {
    Station& s = stations_[size_t(i)];
    const bool wrote = children_[size_t(i)]->wrote;
    StationState next = StationState::Ended;
    if (s.unit < 0) {
        // Stopped, or its port failed, before it had a unit.
    } else if (code == kStationWritten) {
        record(i, kResultOk, msg::batch::written);
        ++done_;
        hadSign_[size_t(i)] = true;
        s.reason.clear();
        next = StationState::Passed;
    } else if (code == kStationPortFailed) {
        hadSign_[size_t(i)] = false;
        s.reason = msg::batch::portFailed;
        record(i, kResultFailed, s.reason);
        queue_.push_front(s.unit); // not the unit's fault
    } else if (code == kStationStopped || (!wrote && stopping_)) {
        if (wrote)
            record(i, kResultLeft, s.reason);
        queue_.push_front(s.unit);
    } else {
        // The failed sign is most likely still on the port: the next unit waits for it to
        // go, or one bad sign would use up the queue.
        hadSign_[size_t(i)] = wrote;
        record(i, kResultFailed, s.reason);
        if (!stopping_ && ++attempts_[size_t(s.unit)] <= options_.retries)
            queue_.push_front(s.unit);
        else
            ++failed_;
        next = StationState::Failed;
    }
    s.unit = -1;
    children_[size_t(i)].reset();
    setState(i, next);
    emit countsChanged();
    if (next != StationState::Ended)
        startNext(i);
    dispatch();
    finishIfIdle();
}

void Engine::stop() {
    if (stopping_)
        return;
    stopping_ = true;
    for (int i = 0; i < int(stations_.size()); ++i) {
        if (auto& c = children_[size_t(i)]) {
            c->process.write(formatEvent(StationEvent::stop()));
        } else if (stations_[size_t(i)].state == StationState::AskingSign) {
            noSign(i);
        } else if (stations_[size_t(i)].state != StationState::Ended) {
            setState(i, StationState::Ended);
        }
    }
    finishIfIdle();
}

void Engine::finishIfIdle() {
    if (!started_ || finished_ || syncing_ > 0)
        return;
    if (!std::all_of(stations_.begin(), stations_.end(),
                     [](const Station& s) { return s.state == StationState::Ended; }))
        return;
    finished_ = true;
    log_.close();
    emit done();
}

} // namespace batch
