#pragma once

#include "batch/BatchLog.h"
#include "batch/BatchPlan.h"
#include "batch/StationProtocol.h"
#include "image/AtomicSave.h"

#include <QObject>
#include <QStringList>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class QProcess;

// A line of signs run from an event loop: one station per port working through one queue of
// units, every attempt appended to the log. The command line and the window's production
// screen drive it the same way: prepare(), start(), perhaps stop(), and watch the signals.
namespace batch {

// What a station is doing, as an operator sees it.
enum class StationState {
    Idle,        // nothing yet
    AskingSign,  // asked the operator to connect the next sign (prompted lines)
    Waiting,     // for a sign to answer
    Writing,     // the Write runs (percent of its current step)
    ReadingBack, // a written bank is read back
    Passed,      // the last unit was written and read back
    Failed,      // the last attempt failed (reason)
    Unplug,      // the written sign is still on the port
    Ended,       // no more units for this station, or it stopped
};

struct Station {
    QString port;
    StationState state = StationState::Idle;
    int unit = -1;   // index into the plan's units, -1 none
    int percent = 0; // of the current step while Writing or ReadingBack
    QString reason;  // why the last attempt failed
    QString firmware, backup;
};

struct Counts {
    int done = 0;    // ok, with the units already ok in the log
    int skipped = 0; // of done: ok in the log before this run
    int failed = 0;  // failed every attempt they were given
    int left = 0;    // not yet ok and not failed
};

struct EngineOptions {
    QStringList ports;
    QString logPath;
    int retries = 1;     // how often a failed unit goes back to the queue
    bool prompt = false; // ask the operator for each sign (signWanted/signReady)
    int pollMs = 0;      // 0: the default time-outs
    int absenceMs = 2000;
    QString stationProgram = defaultStationProgram();
    // Puts the log's written lines on the disk (on a thread of its own); tests make it fail.
    std::function<bool(int handle, QString* reason)> syncLog = [](int handle, QString* reason) {
        return syncToDisk(handle, reason);
    };
};

class Engine : public QObject {
    Q_OBJECT
  public:
    Engine(Plan plan, EngineOptions options, QObject* parent = nullptr);
    ~Engine() override;

    // Before any sign is touched: opens, locks and tries the log, and finds the units already
    // ok in it. Nothing when the batch may start; else why not, with the exit code a command
    // line gives (2 a mistake in what was asked, 1 a file or system failure).
    struct Refusal {
        int exitCode = 1;
        QString text;
    };
    std::optional<Refusal> prepare();
    void start();
    // Ctrl+C: no new sign is started; a station waiting for its sign stops now, one writing
    // stops before it erases or once its current bank is written and read back.
    void stop();
    // Prompted lines: the operator has connected the sign asked for, or says there is none
    // (the station ends; its unit stays to do).
    void signReady(int station);
    void noSign(int station);

    const Plan& plan() const { return plan_; }
    const std::vector<Station>& stations() const { return stations_; }
    Counts counts() const;
    bool stopping() const { return stopping_; }
    bool finished() const { return finished_; }
    // Why the log could not take a line, empty while it could.
    QString logProblem() const { return logProblem_; }
    QString logPath() const { return options_.logPath; }

  signals:
    void stationChanged(int station);
    // A station wants the next sign (prompted lines): answer with signReady() or noSign().
    void signWanted(int station, const QString& unit);
    // One attempt ended and was written to the log (or could not be: logProblem()); the next
    // unit waits until it is synced.
    void attemptEnded(int station, const batch::LogRecord& record);
    // A line for the operator: the units skipped or written again, a log that failed.
    void notice(const QString& text);
    // Something that went wrong beside the signs (the log could not take a line).
    void problem(const QString& text);
    void countsChanged();
    // Every station ended.
    void done();

  private:
    struct Child;
    void startNext(int station);
    void launch(int station, bool afterSign);
    void takeOutput(int station);
    void childEnded(int station, int code);
    void record(int station, const QString& result, const QString& message);
    bool writeLog(const QByteArray& line, QString* reason);
    void logSynced(bool ok, const QString& reason);
    void setState(int station, StationState state);
    void finishIfIdle();
    void dispatch();
    bool nothingLeft() const;

    Plan plan_;
    EngineOptions options_;
    BatchLog log_;
    QString templateChecksum_;
    std::vector<Station> stations_;
    std::vector<std::unique_ptr<Child>> children_;
    std::deque<int> queue_;
    std::vector<int> attempts_;
    std::vector<bool> hadSign_;
    int done_ = 0, skipped_ = 0, failed_ = 0;
    bool stopping_ = false, started_ = false, finished_ = false;
    QString logProblem_;
    int syncing_ = 0; // lines written to the log and not yet synced
    std::vector<std::future<void>> syncs_;
};

} // namespace batch
