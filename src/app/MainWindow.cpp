#include "app/MainWindow.h"

#include "app/DeviceSide.h"
#include "app/FileController.h"
#include "app/LinkedPortField.h"
#include "app/PageTab.h"
#include "app/PairMaskEdit.h"
#include "app/QtSeam.h"
#include "app/UndoController.h"
#include "app/WindowMemory.h"
#include "app/production/ProductionEntry.h"
#include "core/Messages.h"
#include "image/TableFile.h"
#include "protocol/WireTrace.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QUrl>
#include <exception>

namespace label = msg::label;

namespace {

// Panel 0 of the status bar: drawn by its owner, which places the progress bar on it.
class OwnerDrawnPanel : public QWidget {
  public:
    OwnerDrawnPanel(std::function<void()> draw, QWidget* parent)
        : QWidget(parent), draw_(std::move(draw)) {}

  protected:
    void paintEvent(QPaintEvent*) override { draw_(); }

  private:
    std::function<void()> draw_;
};

QAction* item(QMenu* menu, const QString& name, const QString& caption,
              const QKeySequence& shortcut = QKeySequence()) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setShortcut(shortcut);
    return a;
}

} // namespace

TfrmAir::TfrmAir(const Options& options) {
    setObjectName(QStringLiteral("frmAir"));
    setWindowTitle(msg::windowCaption);
    extraPorts_ = options.extraPorts;
    if (options.seam) {
        seam_ = options.seam;
    } else {
        ownSeam_ = std::make_unique<QtSeam>(*this);
        seam_ = ownSeam_.get();
    }
    buildParts(options);

    auto* form = new QWidget(this);
    form->setObjectName(QStringLiteral("frmAirSurface"));
    QFont f = font();
    f.setPointSize(8);
    form->setFont(f);
    setCentralWidget(form);
    buildControls(form);
    buildMenus();
    buildStatusBar();
    tables_ = buildControlTables(form);
    applyCreationStates();
    buildExchangeLock();
    buildBinder();

    // A single-border window centred on the screen at its design size, then maximised.
    resize(kDesignWidth, kDesignHeight);
    FormCreate();
    if (options.maximise)
        setWindowState(windowState() | Qt::WindowMaximized);
    // After the design layout is recorded: the window may come back where it was left.
    buildSessionSupport(options);

    // The serial output page is reachable only through the page tabs that the Normal Mode
    // command shows, so the window starts in Normal Mode.
    NormalMode1Click();
}

void TfrmAir::FormCreate() {
    setProgress(0);
    layout_.record(size(), centralWidget());
    image_.initDefaults();
}

void TfrmAir::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(label::menuFile);
    file->setObjectName(QStringLiteral("File1"));
    file->menuAction()->setObjectName(QStringLiteral("File1"));
    connect(
        item(file, QStringLiteral("Open1"), label::menuOpen, QKeySequence(Qt::CTRL | Qt::Key_O)),
        &QAction::triggered, this, [this] { guard([this] { Open1Click(); }); });
    connect(
        item(file, QStringLiteral("Save1"), label::menuSave, QKeySequence(Qt::CTRL | Qt::Key_S)),
        &QAction::triggered, this, [this] { guard([this] { Save1Click(); }); });
    connect(item(file, QStringLiteral("SaveAs1"), label::menuSaveAs,
                 QKeySequence(Qt::CTRL | Qt::Key_A)),
            &QAction::triggered, this, [this] { guard([this] { SaveAs1Click(); }); });
    connect(item(file, QStringLiteral("OpenTraceFolder1"), msg::trace::menuOpenFolder),
            &QAction::triggered, this, [] {
                sessiontrace::makeFolder();
                QDesktopServices::openUrl(QUrl::fromLocalFile(sessiontrace::folder()));
            });
    QAction* n1 = file->addSeparator();
    n1->setObjectName(QStringLiteral("N1"));
    connect(item(file, QStringLiteral("Exit1"), label::menuExit), &QAction::triggered, this,
            [this] { guard([this] { Exit1Click(); }); });

    QMenu* pager = bar->addMenu(label::menuPager);
    pager->setObjectName(QStringLiteral("Pager1"));
    pager->menuAction()->setObjectName(QStringLiteral("Pager1"));
    connect(item(pager, QStringLiteral("Read1"), label::menuRead, QKeySequence(Qt::Key_F3)),
            &QAction::triggered, this, [this] { guard([this] { Read1Click(); }); });
    connect(item(pager, QStringLiteral("Write1"), label::menuWrite, QKeySequence(Qt::Key_F4)),
            &QAction::triggered, this, [this] { guard([this] { Write1Click(); }); });
    connect(item(pager, QStringLiteral("Verify1"), label::menuVerify, QKeySequence(Qt::Key_F9)),
            &QAction::triggered, this, [this] { guard([this] { Verify1Click(); }); });
    buildBackupItems(file, n1, pager);
    addProductionItem(*this, pager);
    setPagerEnabled(false);

    QMenu* system = bar->addMenu(label::menuSystem);
    system->setObjectName(QStringLiteral("System1"));
    system->menuAction()->setObjectName(QStringLiteral("System1"));
    QAction* normal = item(system, QStringLiteral("NormalMode1"), label::menuNormalMode);
    normal->setCheckable(true);
    normal->setChecked(true);
    normal->setVisible(false);
    connect(normal, &QAction::triggered, this, [this] { guard([this] { NormalMode1Click(); }); });
    connect(item(system, QStringLiteral("CheckFirmware1"), label::menuCheckFirmware),
            &QAction::triggered, this, [this] { guard([this] { CheckFirmware1Click(); }); });
    connect(item(system, QStringLiteral("Admin1"), label::menuAdmin), &QAction::triggered, this,
            [this] { guard([this] { Admin1Click(); }); });
    connect(item(system, QStringLiteral("LEDSignCommand1"), label::menuLedSignCommand),
            &QAction::triggered, this, [this] { guard([this] { LEDSignCommand1Click(); }); });
    item(system, QStringLiteral("AdminMode1"), label::menuAdminMode)->setVisible(false);
    QAction* link =
        item(system, QStringLiteral("Link1"), label::menuLink, QKeySequence(Qt::Key_F6));
    link->setVisible(false);
    connect(link, &QAction::triggered, this, [this] { guard([this] { Link1Click(); }); });
    // A hidden item's shortcut is dead in this toolkit; F6 is kept alive beside it.
    auto* f6 = new QShortcut(QKeySequence(Qt::Key_F6), this);
    f6->setObjectName(QStringLiteral("Link1Shortcut"));
    connect(f6, &QShortcut::activated, link, &QAction::trigger);
    connect(link, &QAction::visibleChanged, f6,
            [this, f6, link] { device_->lock().setEnabled(f6, !link->isVisible()); });

    buildHelpMenu();

    // The second "File" menu with "Open" alone, hidden by the Normal Mode command.
    QMenu* file2 = bar->addMenu(label::menuFile);
    file2->setObjectName(QStringLiteral("File2"));
    file2->menuAction()->setObjectName(QStringLiteral("File2"));
    file2->menuAction()->setVisible(false);
    connect(item(file2, QStringLiteral("Open2"), label::menuOpen), &QAction::triggered, this,
            [this] { guard([this] { Open1Click(); }); });
}

void TfrmAir::buildStatusBar() {
    statusBar_ = statusBar();
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusPanel0_ = new OwnerDrawnPanel([this] { StatusBar1DrawPanel(); }, statusBar_);
    statusPanel0_->setObjectName(QStringLiteral("StatusPanel0"));
    statusPanel0_->setFixedWidth(370);
    statusPanel1_ = new QLabel(msg::statusReady, statusBar_);
    statusPanel1_->setObjectName(QStringLiteral("StatusPanel1"));
    statusPanel1_->setFixedWidth(100);
    statusPanel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar_->addWidget(statusPanel0_);
    statusBar_->addWidget(statusPanel1_);
    linkedPort_ = new LinkedPortField(statusBar_);
    statusBar_->addPermanentWidget(linkedPort_);

    progressBar_ = new QProgressBar(statusBar_);
    progressBar_->setObjectName(QStringLiteral("PB1"));
    progressBar_->setRange(0, 100);
    progressBar_->setTextVisible(false);
    progressBar_->hide(); // until panel 0 is first drawn
}

void TfrmAir::StatusBar1DrawPanel() {
    const QRect r = statusPanel0_->geometry();
    if (progressBar_->geometry() != r)
        progressBar_->setGeometry(r.left(), r.top(), statusPanel0_->width(), r.height());
    progressBar_->raise();
    if (!progressBar_->isVisible())
        progressBar_->show();
}

void TfrmAir::applyCreationStates() {
    // The capcode page in front; tabs, file name, test mode and hidden features as designed.
    capcodePage_->raise();
    capcodeTab_->setVisible(false);
    featuresTab_->setVisible(false);
    capcodeTab_->setSelectedLook(true);
    fileNameLabel_->setVisible(false);
    testModeBox_->setVisible(false);
    outputFeaturesGroup_->setVisible(false);

    // The serial output page starts switched off: its parameter group with every control in
    // it, the UART panel's labels and lists, the four function-bit groups and their
    // function command controls.
    serialOutputGroup_->setEnabled(false);
    for (QWidget* w : serialOutputGroup_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != uartPanel_)
            w->setEnabled(false);
    for (QWidget* w : uartPanel_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->setEnabled(false);
    for (int f = 0; f < layout::kFunctionBits; ++f) {
        functionBitGroups_[f]->setEnabled(false);
        tables_.intFunCmdBoxes[f]->setEnabled(false);
        tables_.fcEdits[f]->setEnabled(false);
    }
    setSerialCaptionsColour(false);
}

void TfrmAir::guard(const std::function<void()>& handler) {
    ++guardDepth_;
    try {
        handler();
    } catch (const std::exception& e) {
        seam().error(QString::fromUtf8(e.what()));
    } catch (...) {
        seam().error(QString());
    }
    // Every rule, menu item and list pick ends here: one committed edit.
    if (--guardDepth_ == 0)
        afterHandler();
}

QAction* TfrmAir::action(const QString& name) const {
    for (QAction* a : menuBar()->findChildren<QAction*>())
        if (a->objectName() == name)
            return a;
    for (QMenu* m : menuBar()->findChildren<QMenu*>())
        if (m->menuAction()->objectName() == name)
            return m->menuAction();
    return nullptr;
}

QMenu* TfrmAir::menu(const QString& name) const {
    return menuBar()->findChild<QMenu*>(name);
}

void TfrmAir::setPagerEnabled(bool on) {
    // With the menu, its items' shortcuts (F3, F4, F9) go dead too.
    if (QMenu* pager = menu(QStringLiteral("Pager1")))
        pager->menuAction()->setEnabled(on);
}

void TfrmAir::enablePager() {
    setPagerEnabled(true);
}

void TfrmAir::setWriteEnabled(bool on) {
    // During an exchange the item stays locked and shows the operation's last word after it.
    if (QAction* write = action(QStringLiteral("Write1")))
        write->setEnabled(on);
}

// --- Status bar and progress -------------------------------------------------------------

void TfrmAir::setStatusText(const QString& text) {
    statusPanel1_->setText(text);
}
QString TfrmAir::statusText() const {
    return statusPanel1_->text();
}

void TfrmAir::setProgressMax(int maximum) {
    progressBar_->setMaximum(std::max(maximum, progressBar_->minimum()));
}

void TfrmAir::setProgress(int position) {
    progressBar_->setValue(std::clamp(position, progressBar_->minimum(), progressBar_->maximum()));
}

void TfrmAir::advanceProgress(int by) {
    setProgress(progressBar_->value() + by);
}

// --- Window events ------------------------------------------------------------------------

void TfrmAir::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        guard([this] { FormShow(); });
    }
}

void TfrmAir::FormShow() {
    if (initialiseCommandTable)
        initialiseCommandTable();
    setProgress(0);
    refreshFromImage();
    files_->openDefaultFile();
    startSession();
}

void TfrmAir::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    guard([this] { FormResize(); });
}

void TfrmAir::FormResize() {
    capcodePage_->hide();
    serialPage_->hide();
    layout_.apply(size());
    capcodePage_->show();
    serialPage_->show();
}

void TfrmAir::closeEvent(QCloseEvent* event) {
    // The exchange under way ends first (its port, its message); the window closes after it.
    if (device_->closeMustWait()) {
        event->ignore();
        return;
    }
    if (!keepOrDropEdits()) {
        event->ignore();
        return;
    }
    rememberWindow();
    guard([this] { FormClose(); });
    QMainWindow::closeEvent(event);
}

void TfrmAir::FormMouseMove() {
    if (!focusSink_->hasFocus())
        focusSink_->setFocus();
}

// --- Menus and tabs -------------------------------------------------------------------------

void TfrmAir::Exit1Click() {
    close();
}

void TfrmAir::NormalMode1Click() {
    action(QStringLiteral("NormalMode1"))->setChecked(true);
    action(QStringLiteral("Read1"))->setVisible(true);
    capcodePage_->show();
    serialPage_->show();
    action(QStringLiteral("File1"))->setVisible(true);
    action(QStringLiteral("File2"))->setVisible(false);
    capcodeTab_->show();
    featuresTab_->show();
    fileNameLabel_->hide();
}

void TfrmAir::stcCodeClick() {
    capcodePage_->raise();
    capcodeTab_->setSelectedLook(true);
    featuresTab_->setSelectedLook(false);
}

void TfrmAir::stcFeaturesClick() {
    serialPage_->raise();
    featuresTab_->setSelectedLook(true);
    capcodeTab_->setSelectedLook(false);
}

void TfrmAir::setSerialCaptionsColour(bool on) {
    QList<QWidget*> groups{serialOutputGroup_};
    for (QGroupBox* g : functionBitGroups_)
        groups << g;
    for (QWidget* g : groups) {
        // Switched off, the captions are drawn in grey.
        QPalette p = g->palette();
        const QColor caption = on ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80);
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(group, QPalette::WindowText, caption);
        g->setPalette(p);
    }
}

void TfrmAir::showSerialPage(const serialrules::SerialPageEnables& page) {
    setSerialPageEnabled(page.page);
    for (int f = 0; f < layout::kFunctionBits; ++f) {
        tables_.intFunCmdBoxes[f]->setEnabled(page.funCmdControls);
        tables_.fcEdits[f]->setEnabled(page.funCmdControls);
    }
    uartPanel_->setVisible(page.uartPanelVisible);
}

void TfrmAir::setSerialPageEnabled(bool on) {
    serialOutputGroup_->setEnabled(on);
    for (QGroupBox* g : functionBitGroups_)
        g->setEnabled(on);
    setSerialCaptionsColour(on);
    for (QWidget* w : serialOutputGroup_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->setEnabled(on);
    for (QWidget* w : uartPanel_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->setEnabled(on);
}
