#include "app/production/ProductionScreen.h"

#include "app/WindowMemory.h"
#include "app/production/ProductionSetupDialog.h"
#include "app/production/ProductionSummary.h"
#include "app/production/StationTile.h"
#include "core/Messages.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace pm = msg::production;
using production::Stage;

namespace {

const QString kJigs = QStringLiteral("production/jigs"); // "port<TAB>name" per jig

QLabel* headerLabel(const char* name, int grow, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f = l->font();
    f.setPointSize(f.pointSize() + grow);
    l->setFont(f);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

ProductionScreen::ProductionScreen(WindowMemory& memory, const production::Setup& setup,
                                   const production::Checked& checked,
                                   const QStringList& extraPorts, QWidget* parent)
    : QWidget(parent), memory_(memory), extraPorts_(extraPorts) {
    setObjectName(QStringLiteral("frmProduction"));
    setWindowTitle(pm::caption);
    askLeave = [this] {
        return QMessageBox::question(this, pm::caption, pm::leaveWhileWriting) == QMessageBox::Yes;
    };
    showSummary = [this](const production::Tally& t, const QList<batch::LogRecord>& records) {
        showProductionSummary(this, t, lastElapsed_, records);
    };
    showProblem = [this](const QString& text) { QMessageBox::warning(this, pm::caption, text); };

    templateLine_ = headerLabel("lblTemplate", 4, this);
    unitsLine_ = headerLabel("lblUnits", 2, this);
    counts_ = headerLabel("lblCounts", 8, this);
    QFont bold = counts_->font();
    bold.setBold(true);
    counts_->setFont(bold);
    rates_ = headerLabel("lblRates", 2, this);
    notice_ = headerLabel("lblNotice", 1, this);
    notice_->setWordWrap(true);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        QFont f = b->font();
        f.setPointSize(f.pointSize() + 4);
        b->setFont(f);
        b->setMinimumHeight(48);
        return b;
    };
    start_ = button("btnStart", pm::start);
    stop_ = button("btnStop", pm::stop);
    setUp_ = button("btnSetUp", pm::setUp);
    auto* full = button("btnFullScreen", pm::fullScreen);
    connect(start_, &QPushButton::clicked, this, &ProductionScreen::startRun);
    connect(stop_, &QPushButton::clicked, this, &ProductionScreen::stopRun);
    connect(setUp_, &QPushButton::clicked, this, &ProductionScreen::openSetUp);
    connect(full, &QPushButton::clicked, this, &ProductionScreen::toggleFullScreen);
    auto* f11 = new QShortcut(QKeySequence(Qt::Key_F11), this);
    connect(f11, &QShortcut::activated, this, &ProductionScreen::toggleFullScreen);

    auto* header = new QVBoxLayout;
    header->addWidget(templateLine_);
    header->addWidget(unitsLine_);
    header->addWidget(counts_);
    header->addWidget(rates_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {start_, stop_, setUp_, full})
        buttons->addWidget(b);
    buttons->addStretch(1);
    grid_ = new QGridLayout;
    auto* column = new QVBoxLayout(this);
    column->addLayout(header);
    column->addLayout(buttons);
    column->addWidget(notice_);
    column->addLayout(grid_, 1);

    tick_ = new QTimer(this);
    tick_->setInterval(1000);
    connect(tick_, &QTimer::timeout, this, &ProductionScreen::updateHeader);
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    connect(refreshTimer_, &QTimer::timeout, this, &ProductionScreen::showPending);
    resize(1000, 700);
    applySetup(setup, checked);
}

ProductionScreen::~ProductionScreen() = default;

void ProductionScreen::applySetup(const production::Setup& setup,
                                  const production::Checked& checked) {
    if (running_)
        return;
    setup_ = setup;
    checked_ = checked;
    engine_.reset();
    records_.clear();
    lastElapsed_ = 0;
    buildTiles();
    notice_->clear();
    updateHeader();
    updateButtons();
}

void ProductionScreen::buildTiles() {
    for (StationTile* t : tiles_)
        delete t;
    tiles_.clear();
    last_.assign(size_t(setup_.ports.size()), std::nullopt);
    progress_.assign(size_t(setup_.ports.size()), {});
    refresh_.assign(size_t(setup_.ports.size()), {});
    const int n = int(setup_.ports.size());
    const int columns = n <= 3 ? qMax(1, n) : int(std::ceil(std::sqrt(double(n))));
    for (int i = 0; i < n; ++i) {
        const QString& port = setup_.ports[i];
        auto* t = new StationTile(port, jigName(port, i + 1), this);
        t->setObjectName(QStringLiteral("tile%1").arg(i + 1));
        connect(t, &StationTile::jigRenamed, this, &ProductionScreen::rememberJig);
        grid_->addWidget(t, i / columns, i % columns);
        tiles_.push_back(t);
    }
}

QList<StationTile*> ProductionScreen::tiles() const {
    return QList<StationTile*>(tiles_.begin(), tiles_.end());
}

StationTile* ProductionScreen::tile(const QString& port) const {
    for (StationTile* t : tiles_)
        if (t->port() == port)
            return t;
    return nullptr;
}

QString ProductionScreen::jigName(const QString& port, int number) const {
    for (const QString& entry : memory_.texts(kJigs))
        if (entry.section(QLatin1Char('\t'), 0, 0) == port)
            return entry.section(QLatin1Char('\t'), 1);
    return pm::defaultJig(number);
}

void ProductionScreen::rememberJig(const QString& port, const QString& name) {
    QStringList entries = memory_.texts(kJigs);
    entries.erase(std::remove_if(
                      entries.begin(), entries.end(),
                      [&](const QString& e) { return e.section(QLatin1Char('\t'), 0, 0) == port; }),
                  entries.end());
    entries << port + QLatin1Char('\t') + name;
    memory_.setTexts(kJigs, entries);
}

void ProductionScreen::startRun() {
    if (running_)
        return;
    // The files may have changed since they were checked.
    const production::Checked now = production::check(setup_);
    if (!now.errors.isEmpty()) {
        showProblem(now.errors.join(QLatin1Char('\n')));
        return;
    }
    checked_ = now;
    batch::EngineOptions o = options_;
    o.ports = setup_.ports;
    o.logPath = setup_.logPath;
    engine_.reset();
    engine_ = std::make_unique<batch::Engine>(checked_.plan, o);
    batch::Engine* e = engine_.get();
    connect(e, &batch::Engine::stationChanged, this, &ProductionScreen::showStation);
    connect(e, &batch::Engine::attemptEnded, this, &ProductionScreen::attemptEnded);
    connect(e, &batch::Engine::countsChanged, this, &ProductionScreen::updateHeader);
    connect(e, &batch::Engine::notice, notice_, &QLabel::setText);
    connect(e, &batch::Engine::problem, notice_, &QLabel::setText);
    connect(e, &batch::Engine::done, this, &ProductionScreen::runDone);
    if (const auto refusal = e->prepare()) {
        engine_.reset();
        showProblem(refusal->text);
        return;
    }
    records_.clear();
    last_.assign(tiles_.size(), std::nullopt);
    progress_.assign(tiles_.size(), {});
    refresh_.assign(tiles_.size(), {});
    clock_.start();
    running_ = true;
    for (StationTile* t : tiles_)
        t->setRenamable(false);
    updateButtons();
    tick_->start();
    e->start();
    updateHeader();
}

void ProductionScreen::stopRun() {
    if (!running_ || !engine_)
        return;
    notice_->setText(pm::stopping);
    engine_->stop();
    updateButtons();
}

bool ProductionScreen::signsBeingWritten() const {
    if (!engine_ || !running_)
        return false;
    return std::any_of(engine_->stations().begin(), engine_->stations().end(),
                       [](const batch::Station& s) {
                           return s.state == batch::StationState::Writing ||
                                  s.state == batch::StationState::ReadingBack;
                       });
}

void ProductionScreen::showStation(int i) {
    if (!engine_ || i < 0 || i >= int(tiles_.size()))
        return;
    const batch::Station& s = engine_->stations()[size_t(i)];
    if (s.state == batch::StationState::Writing)
        last_[size_t(i)].reset();
    const QString unit = s.unit >= 0 ? engine_->plan().units[s.unit].label : QString();
    production::TileState t = production::tileFor(s, unit, last_[size_t(i)], engine_->stopping());
    t.percent = progress_[size_t(i)].follow(s.state, s.percent);
    // A new stage shows at once; a percent more waits for the tile's next refresh, so four
    // stations at full speed do not keep the window painting.
    Refresh& r = refresh_[size_t(i)];
    const production::TileState& shown = tiles_[size_t(i)]->state();
    const bool percentOnly = t.stage == shown.stage && t.unit == shown.unit &&
                             t.then == shown.then && t.reason == shown.reason;
    if (percentOnly && r.shown.isValid() && r.shown.elapsed() < kTileRefreshMs) {
        r.pending = t;
        if (!refreshTimer_->isActive())
            refreshTimer_->start(int(kTileRefreshMs - r.shown.elapsed()));
        return;
    }
    showTile(i, t);
}

void ProductionScreen::showTile(int i, const production::TileState& t) {
    Refresh& r = refresh_[size_t(i)];
    r.pending.reset();
    r.shown.start();
    tiles_[size_t(i)]->setState(t);
}

void ProductionScreen::showPending() {
    qint64 soonest = -1;
    for (int i = 0; i < int(tiles_.size()); ++i) {
        Refresh& r = refresh_[size_t(i)];
        if (!r.pending)
            continue;
        const qint64 wait = kTileRefreshMs - r.shown.elapsed();
        if (wait <= 0)
            showTile(i, *r.pending);
        else if (soonest < 0 || wait < soonest)
            soonest = wait;
    }
    if (soonest >= 0)
        refreshTimer_->start(int(soonest));
}

void ProductionScreen::attemptEnded(int i, const batch::LogRecord& record) {
    records_ << record;
    if (record.result == batch::kResultLeft)
        last_[size_t(i)].reset();
    else
        last_[size_t(i)] =
            production::LastResult{record.unit, record.result == batch::kResultOk, record.message};
    updateHeader();
}

void ProductionScreen::runDone() {
    running_ = false;
    lastElapsed_ = clock_.elapsed();
    tick_->stop();
    for (int i = 0; i < int(tiles_.size()); ++i)
        showStation(i);
    for (StationTile* t : tiles_)
        t->setRenamable(true);
    updateButtons();
    updateHeader();
    emit runEnded();
    if (closeWhenDone_) {
        close();
        return;
    }
    // The summary is what the log says, read back as `ledsign batch --report` reads it.
    QFile log(setup_.logPath);
    QList<batch::LogRecord> all;
    if (log.open(QIODevice::ReadOnly))
        all = batch::readRecords(log.readAll());
    QStringList units;
    for (const batch::Unit& u : checked_.plan.units)
        units << u.label;
    // The log was locked for the run: its last records are the run's own.
    const qsizetype runBegins = qMax<qsizetype>(0, all.size() - records_.size());
    showSummary(production::tally(all, units, runBegins), all.mid(runBegins));
}

void ProductionScreen::updateHeader() {
    // Once a second while running: a label given its own text again would still lay out the
    // whole screen.
    const auto show = [](QLabel* label, const QString& text) {
        if (label->text() != text)
            label->setText(text);
    };
    const QString templateName = QFileInfo(setup_.templatePath).fileName();
    show(templateLine_, pm::templateLine(templateName, checked_.fingerprint));
    show(unitsLine_, pm::unitsLine(QFileInfo(setup_.unitsPath).fileName()));
    const qint64 elapsed = running_ ? clock_.elapsed() : lastElapsed_;
    QStringList units;
    for (const batch::Unit& u : checked_.plan.units)
        units << u.label;
    const production::Tally t = production::tally(records_, units, 0);
    if (engine_) {
        const batch::Counts c = engine_->counts();
        show(counts_, pm::counts(c.done, c.failed, c.left));
    } else {
        show(counts_, pm::counts(0, 0, int(units.size())));
    }
    show(rates_,
         pm::rates(t.perHourText(elapsed), t.yieldText(), production::elapsedText(elapsed)));
}

void ProductionScreen::updateButtons() {
    start_->setEnabled(!running_ && !setup_.ports.isEmpty());
    stop_->setEnabled(running_ && engine_ && !engine_->stopping());
    // The template and units stay as they are while signs are being written.
    setUp_->setEnabled(!running_);
}

void ProductionScreen::openSetUp() {
    if (running_)
        return;
    ProductionSetupDialog dialog(memory_, extraPorts_, this);
    dialog.fill(setup_);
    if (dialog.exec() == QDialog::Accepted)
        applySetup(dialog.setup(), dialog.checked());
}

void ProductionScreen::toggleFullScreen() {
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void ProductionScreen::closeEvent(QCloseEvent* event) {
    if (!running_) {
        event->accept();
        return;
    }
    event->ignore();
    if (signsBeingWritten() && !askLeave())
        return;
    closeWhenDone_ = true;
    stopRun();
}
