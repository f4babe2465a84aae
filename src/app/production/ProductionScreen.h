#pragma once

#include "app/production/ProductionSetup.h"
#include "app/production/RunTally.h"
#include "app/production/TileState.h"
#include "batch/BatchEngine.h"

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QGridLayout;
class QPushButton;
class QTimer;
class StationTile;
class WindowMemory;

// The operator's production screen: one tile per port, the run's figures above them, Start
// and Stop. It drives the same engine and writes the same log as `ledsign batch`.
class ProductionScreen : public QWidget {
    Q_OBJECT

  public:
    ProductionScreen(WindowMemory& memory, const production::Setup& setup,
                     const production::Checked& checked, const QStringList& extraPorts = {},
                     QWidget* parent = nullptr);
    ~ProductionScreen() override;

    // The engine's options for the next Start (tests shorten its waits).
    batch::EngineOptions& engineOptions() { return options_; }
    const batch::Engine* engine() const { return engine_.get(); }

    void startRun();
    // The batch's Ctrl+C: no new sign; a Write under way ends at its next safe point.
    void stopRun();
    bool running() const { return running_; }
    bool signsBeingWritten() const;
    // A new template, units or ports between runs.
    void applySetup(const production::Setup& setup, const production::Checked& checked);

    QList<StationTile*> tiles() const;
    StationTile* tile(const QString& port) const;
    void toggleFullScreen();

    // Asked when the screen is closed while signs are being written; Yes stops the run and
    // closes the screen once they are finished. Tests replace it.
    std::function<bool()> askLeave;
    // Shown after a run with the figures read back from its log. Tests replace it.
    std::function<void(const production::Tally&, const QList<batch::LogRecord>&)> showSummary;
    // Why a run could not start (the log locked by another batch, files changed since the
    // check). Tests replace it.
    std::function<void(const QString&)> showProblem;

  signals:
    void runEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildTiles();
    void showStation(int station);
    void showTile(int station, const production::TileState& state);
    void showPending();
    void attemptEnded(int station, const batch::LogRecord& record);
    void runDone();
    void updateHeader();
    void updateButtons();
    void openSetUp();
    QString jigName(const QString& port, int number) const;
    void rememberJig(const QString& port, const QString& name);

    WindowMemory& memory_;
    production::Setup setup_;
    production::Checked checked_;
    QStringList extraPorts_;
    batch::EngineOptions options_;
    std::unique_ptr<batch::Engine> engine_;
    std::vector<StationTile*> tiles_;
    std::vector<std::optional<production::LastResult>> last_;
    std::vector<production::WriteProgress> progress_;
    // A tile shows a percent more at most this often; a new stage at once.
    static constexpr qint64 kTileRefreshMs = 250;
    struct Refresh {
        QElapsedTimer shown;
        std::optional<production::TileState> pending;
    };
    std::vector<Refresh> refresh_;
    QList<batch::LogRecord> records_; // this run's attempts, as logged
    QElapsedTimer clock_;
    qint64 lastElapsed_ = 0;
    bool running_ = false;
    bool closeWhenDone_ = false;

    QLabel* templateLine_ = nullptr;
    QLabel* unitsLine_ = nullptr;
    QLabel* counts_ = nullptr;
    QLabel* rates_ = nullptr;
    QLabel* notice_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* setUp_ = nullptr;
    QGridLayout* grid_ = nullptr;
    QTimer* tick_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
};
