// `ledsign batch TEMPLATE.tbl UNITS.csv --port P...`: a line of signs on the batch engine, told
// on the terminal.
#include "batch/BatchEngine.h"
#include "batch/BatchReport.h"
#include "batch/BatchStation.h"
#include "cli/Commands.h"
#include "core/Messages.h"
#include "image/TableFile.h"
#include "serial/NetworkPort.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <deque>
#include <iostream>
#include <string>
#include <thread>

namespace cli {

namespace {

using namespace batch::stationflags;
const QString kLog = QStringLiteral("log");
const QString kRetries = QStringLiteral("retries");
const QString kPrompt = QStringLiteral("prompt");
const QString kReport = QStringLiteral("report");

std::atomic<bool> interruptAsked{false};
void onInterrupt(int) {
    interruptAsked = true;
}

QCommandLineOption hidden(QCommandLineOption o) {
    o.setFlags(QCommandLineOption::HiddenFromHelp);
    return o;
}

QString stateName(const batch::Station& s) {
    using batch::StationState;
    switch (s.state) {
    case StationState::AskingSign:
        return msg::batch::phaseAsking;
    case StationState::Idle:
    case StationState::Waiting:
        return msg::batch::phaseWaiting;
    case StationState::Writing:
        return msg::batch::phaseWriting;
    case StationState::ReadingBack:
        return msg::batch::phaseReadingBack;
    case StationState::Passed:
        return msg::batch::resultOk;
    case StationState::Failed:
        return msg::batch::resultFailed(s.reason);
    case StationState::Unplug:
        return msg::batch::phaseUnplug;
    case StationState::Ended:
        return msg::batch::phaseEnded;
    }
    return {};
}

// The technician's answers to "press Enter", read by a thread of their own so Ctrl+C is never
// stuck behind a read. Each line answers the oldest question; the end of the input answers
// every question with "no sign".
class EnterKey {
  public:
    explicit EnterKey(batch::Engine& engine) : engine_(engine) { current = this; }
    ~EnterKey() { current = nullptr; }
    void ask(int station) {
        asked_.push_back(station);
        if (!reading_) {
            reading_ = true;
            std::thread([] {
                std::string line;
                bool more = true;
                while (more) {
                    more = bool(std::getline(std::cin, line));
                    // Handed to the main thread, where the answer is taken if still wanted.
                    QMetaObject::invokeMethod(
                        QCoreApplication::instance(),
                        [more] {
                            if (current)
                                current->take(more);
                        },
                        Qt::QueuedConnection);
                }
            }).detach(); // it may still be reading when the batch ends
        }
        answer();
    }

  private:
    void take(bool line) {
        if (line)
            ++lines_;
        else
            closed_ = true;
        answer();
    }
    void answer() {
        while (!asked_.empty() && (lines_ > 0 || closed_)) {
            const int station = asked_.front();
            asked_.pop_front();
            if (lines_ > 0) {
                --lines_;
                engine_.signReady(station);
            } else {
                engine_.noSign(station);
            }
        }
    }
    static inline EnterKey* current = nullptr; // touched on the main thread only
    batch::Engine& engine_;
    std::deque<int> asked_;
    int lines_ = 0;
    bool reading_ = false, closed_ = false;
};

} // namespace

int runBatch(const QStringList& args) {
    ArgParser p(args, QStringLiteral(
                          "Programs a line of signs: every unit of UNITS.csv (header 'unit' then "
                          "'ledsign set' keys; an empty cell keeps the template's value) gets the "
                          "template with its row applied through the window's rules. Every row "
                          "is checked before any sign is touched. Each --port is a station that "
                          "waits for a sign, writes it (backing up what it held), then waits "
                          "until it is unplugged before the next. Every attempt is one JSON "
                          "line in the log, which is locked and tried before any sign is "
                          "touched; a re-run with the same log skips the units already ok with "
                          "the same image. Ctrl+C, SIGHUP and SIGTERM start no new sign and let "
                          "the signs being written finish their bank. Exit 0 when every unit is "
                          "ok, 1 when some failed or were left, 2 for a mistake in what was "
                          "asked."));
    p.addPositional(QStringLiteral("template"), QStringLiteral("The template table file (.tbl)."));
    p.addPositional(QStringLiteral("units"), QStringLiteral("The units (.csv)."));
    p.addOption(
        {port, QStringLiteral("A station's serial port (repeatable)."), QStringLiteral("path")});
    p.addOption({kLog,
                 QStringLiteral("The log (default batch-YYYYMMDD-HHMMSS.jsonl beside the CSV)."),
                 QStringLiteral("file")});
    p.addOption({kRetries,
                 QStringLiteral("How often a failed unit goes back to the queue "
                                "(default 1)."),
                 QStringLiteral("n")});
    p.addOption({kPrompt, QStringLiteral("Ask on the terminal for each sign instead of waiting "
                                         "for it to answer.")});
    p.addOption({pollMs,
                 QStringLiteral("Poll period in milliseconds while waiting for the "
                                "sign (default 50)."),
                 QStringLiteral("ms")});
    p.addOption({absenceMs,
                 QStringLiteral("How long a sign must stay silent to count as unplugged "
                                "(default 2000)."),
                 QStringLiteral("ms")});
    p.addOption({kReport,
                 QStringLiteral("Print the log as CSV, one line per unit (unit, port, result, "
                                "attempts, seconds, time, image SHA-256, backup file), and "
                                "program nothing."),
                 QStringLiteral("file")});
    p.addOption(hidden(QCommandLineOption(station)));
    p.addOption(hidden(QCommandLineOption(afterSign)));
    if (auto done = p.parse(0, 2))
        return *done;

    auto number = [&](const QString& name, int fallback, int least,
                      int most) -> std::optional<int> {
        if (!p.isSet(name))
            return fallback;
        bool ok = false;
        const int v = QLocale::c().toInt(p.value(name), &ok);
        if (!ok || v < least || v > most)
            return std::nullopt;
        return v;
    };
    const auto poll = number(pollMs, 0, 1, 1000);
    const auto absence = number(absenceMs, 2000, 0, 600000);
    const auto retries = number(kRetries, 1, 0, 100);
    for (const auto& [name, v] :
         {std::pair{pollMs, poll}, std::pair{absenceMs, absence}, std::pair{kRetries, retries}})
        if (!v)
            return p.usageError(msg::batch::badNumber(name, p.value(name)));

    if (p.isSet(station)) {
        batch::StationJob job;
        job.port = p.value(port);
        job.afterSign = p.isSet(afterSign);
        job.absenceMs = *absence;
        job.pollMs = *poll;
        return batch::runStation(job);
    }
    if (p.isSet(kReport)) {
        QFile log(p.value(kReport));
        if (!log.open(QIODevice::ReadOnly)) {
            CliSeam seam(p.presets());
            return fileFailure(seam, msg::openError, p.value(kReport), log.errorString());
        }
        const QByteArray csv = batch::reportCsv(batch::readRecords(log.readAll()));
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
        return kExitOk;
    }
    if (p.positional().size() != 2)
        return p.usageError(msg::cli::tryHelp(QStringLiteral("ledsign batch")));
    QStringList ports;
    // One station a port: a network server named twice in other letters is one port.
    for (const QString& v : p.values(port))
        if (!v.trimmed().isEmpty() && !ports.contains(NetworkPort::canonical(v)))
            ports << NetworkPort::canonical(v);
    if (ports.isEmpty())
        return p.usageError(msg::cli::missingOption(port));

    CliSeam seam(p.presets());
    const QString templatePath = p.positional().at(0), csvPath = p.positional().at(1);
    ParamImage templ;
    if (!openTableOrFail(templatePath, templ, seam))
        return kExitFailure;
    QFile csvFile(csvPath);
    if (!csvFile.open(QIODevice::ReadOnly))
        return fileFailure(seam, msg::openError, csvPath, csvFile.errorString());
    batch::Plan plan =
        batch::makePlan(templ.toByteArray(), csvFile.readAll(), QFileInfo(csvPath).fileName());
    if (plan.exitCode != 0) {
        err() << plan.error << Qt::endl;
        return plan.exitCode;
    }

    batch::EngineOptions options;
    options.ports = ports;
    options.logPath =
        p.isSet(kLog)
            ? p.value(kLog)
            : QFileInfo(csvPath).absoluteDir().filePath(
                  QStringLiteral("batch-") +
                  QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                  QStringLiteral(".jsonl"));
    options.retries = *retries;
    options.prompt = p.isSet(kPrompt);
    options.pollMs = *poll;
    options.absenceMs = *absence;
    batch::Engine engine(std::move(plan), options);

    const bool quiet = p.quiet();
    const bool live = !quiet && isTerminal(stdout);
    int drawn = 0;
    auto lineOf = [&](const batch::Station& s) {
        QString text = s.port + QStringLiteral("  unit ") +
                       (s.unit >= 0 ? batch::printable(engine.plan().units[s.unit].label)
                                    : QStringLiteral("-")) +
                       QStringLiteral("  ") + stateName(s);
        if (s.state == batch::StationState::Writing || s.percent > 0)
            text += QStringLiteral("  ") + QString::number(s.percent) + QLatin1Char('%');
        return text;
    };
    auto redraw = [&] {
        if (!live)
            return;
        if (drawn > 0)
            out() << "\x1b[" << drawn << 'A';
        for (const batch::Station& s : engine.stations())
            out() << "\r\x1b[2K" << lineOf(s) << '\n';
        drawn = int(engine.stations().size());
        out().flush();
    };
    auto say = [&](const QString& text) {
        if (quiet)
            return;
        if (live && drawn > 0) {
            out() << "\x1b[" << drawn << 'A' << "\r\x1b[J";
            drawn = 0;
        }
        out() << text << Qt::endl;
        redraw();
    };

    std::vector<batch::StationState> shown(size_t(ports.size()), batch::StationState::Idle);
    QObject::connect(&engine, &batch::Engine::stationChanged, [&](int i) {
        const batch::Station& s = engine.stations()[size_t(i)];
        // Off a terminal one plain line for each step a station takes.
        using batch::StationState;
        if (!live && s.state != shown[size_t(i)] &&
            (s.state == StationState::Waiting || s.state == StationState::Writing ||
             s.state == StationState::ReadingBack || s.state == StationState::Unplug))
            say(lineOf(s));
        shown[size_t(i)] = s.state;
        redraw();
    });
    QObject::connect(&engine, &batch::Engine::notice, [&](const QString& text) { say(text); });
    QObject::connect(&engine, &batch::Engine::problem,
                     [&](const QString& text) { err() << text << Qt::endl; });
    QObject::connect(&engine, &batch::Engine::attemptEnded, [&](int, const batch::LogRecord& rec) {
        const QString result = rec.result == batch::kResultOk ? msg::batch::resultOk
                               : rec.result == batch::kResultLeft
                                   ? msg::batch::resultLeft(rec.message)
                                   : msg::batch::resultFailed(rec.message);
        say(rec.port + QStringLiteral("  unit ") + rec.unit + QStringLiteral("  ") + result);
    });
    EnterKey enter(engine);
    QObject::connect(&engine, &batch::Engine::signWanted, [&](int i, const QString& unit) {
        say(msg::batch::connect(batch::printable(unit), engine.stations()[size_t(i)].port));
        enter.ask(i);
    });
    QEventLoop loop;
    QObject::connect(&engine, &batch::Engine::done, &loop, &QEventLoop::quit, Qt::QueuedConnection);

    if (const auto refused = engine.prepare()) {
        err() << refused->text << Qt::endl;
        return refused->exitCode;
    }

    // Ctrl+C, a closed terminal and a stopped service: the engine's stop, taken from the
    // signal handler's flag in the event loop, so the signs being written finish and every
    // record and the summary are still written. A terminal or pipe that is gone must not end
    // the batch either.
    interruptAsked = false;
#ifdef Q_OS_UNIX
    const int stopSignals[] = {SIGINT, SIGHUP, SIGTERM};
    const auto previousPipe = std::signal(SIGPIPE, SIG_IGN);
#else
    const int stopSignals[] = {SIGINT, SIGTERM};
#endif
    std::vector<void (*)(int)> previous;
    for (const int sig : stopSignals)
        previous.push_back(std::signal(sig, onInterrupt));
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (interruptAsked)
            engine.stop();
    });
    watch.start(50);
    engine.start();
    redraw();
    if (!engine.finished())
        loop.exec();
    for (size_t k = 0; k < previous.size(); ++k)
        std::signal(stopSignals[k], previous[k]);
#ifdef Q_OS_UNIX
    std::signal(SIGPIPE, previousPipe);
#endif

    const batch::Counts c = engine.counts();
    out() << msg::batch::summary(c.done, c.failed, c.left) << Qt::endl;
    return c.failed == 0 && c.left == 0 && engine.logProblem().isEmpty() ? kExitOk : kExitFailure;
}

} // namespace cli
