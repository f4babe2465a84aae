// The window's parts and how they are wired to it: each keeps its own state, and reaches the
// window only through the hooks given here.
#include "app/DeviceSide.h"
#include "app/FieldHooks.h"
#include "app/FileController.h"
#include "app/MainWindow.h"
#include "app/PageTab.h"
#include "app/SettingsBinder.h"
#include "app/UndoController.h"
#include "app/WindowMemory.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>

TfrmAir::~TfrmAir() {
    // The binder's rules work on the session, which goes before the controls: no focus change
    // while the controls are torn down may reach them.
    delete binder_;
    binder_ = nullptr;
}

void TfrmAir::buildParts(const Options& options) {
    memory_ = std::make_unique<WindowMemory>(options.settingsFile);

    device_ = std::make_unique<DeviceSide>(
        *seam_, image_, *this,
        DeviceSide::Hooks{.guard = [this](const std::function<void()>& h) { guard(h); },
                          .close = [this] { close(); }});
    device_->operations().setDifferenceLister(
        [this](const QByteArray& sign, const QByteArray& window) {
            return showVerifyDifferences(sign, window);
        });

    files_ = std::make_unique<FileController>(
        session_, *seam_, *memory_,
        options.startDirectory.isEmpty() ? QDir::currentPath() : options.startDirectory,
        FileController::Hooks{.showImage = [this] { refreshFromImage(); },
                              .recordStep = [this] { undo_->recordStep(); },
                              .collectPending = [this] { collectPendingRecord(); },
                              .asSaved = [this] { return session_.savedImage(); },
                              .captionChanged =
                                  [this](const QString& caption) {
                                      if (caption != windowTitle())
                                          setWindowTitle(caption);
                                  },
                              .recentChanged = [this] { fillRecentMenu(); }});
    files_->askOpenFileName = [this](const QString& dir) { return defaultAskOpenFileName(dir); };
    files_->askSaveFileName = [this](const QString& dir) { return defaultAskSaveFileName(dir); };

    undo_ = std::make_unique<UndoController>(
        session_,
        UndoController::Hooks{
            .showSession = [this] { binder_->show(SettingsBinder::ShowRecord::Selected); },
            .stepsChanged = [this](bool canUndo,
                                   bool canRedo) { updateEditActions(canUndo, canRedo); }});
}

QString TfrmAir::startDirectory() const {
    return files_->startDirectory();
}

QString TfrmAir::currentTableFile() const {
    return files_->currentTableFile();
}

void TfrmAir::buildBinder() {
    binder_ = new SettingsBinder(
        session_, *seam_, centralWidget(), tables_, focusSink_,
        SettingsBinder::Hooks{
            .guard = [this](const std::function<void()>& rule) { guard(rule); },
            .pageChanged = [this](const serialrules::SerialPageEnables& p) { showSerialPage(p); },
            .recordTyped = [this] { files_->updateModifiedMark(); },
            .surfaceMoved = [this] { FormMouseMove(); }},
        this);

    connect(capcodeTab_, &PageTab::clicked, this, [this] { guard([this] { stcCodeClick(); }); });
    connect(featuresTab_, &PageTab::clicked, this,
            [this] { guard([this] { stcFeaturesClick(); }); });
    connect(linkButton_, &QPushButton::clicked, this,
            [this] { guard([this] { btnLink0EClick(); }); });
}

void TfrmAir::refreshFromImage() {
    binder_->refresh();
}

void TfrmAir::collectPendingRecord() {
    binder_->collectCapcodeRecord(selectedCapcode_);
}

void TfrmAir::ComboBox1Click() {
    if (capcodeSelector_->currentIndex() >= 0)
        binder_->selectCapcode(capcodeSelector_->currentIndex());
}

void TfrmAir::cboScalerClick() {
    binder_->prescalerRefresh();
}
