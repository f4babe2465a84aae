// The window's parts and how they are wired to it: each keeps its own state, and reaches the
// window only through the hooks given here.
#include "app/DeviceSide.h"
#include "app/FieldHooks.h"
#include "app/FileController.h"
#include "app/MainWindow.h"
#include "app/UndoController.h"
#include "app/WindowMemory.h"
#include "editor/SerialOutputRules.h"

#include <QDir>

TfrmAir::~TfrmAir() = default;

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
                              .collectPending = [this] { collectCapcodeRecord(selectedCapcode_); },
                              .asSaved = [this]() -> std::optional<ParamImage> {
                                  ParamImage copy = image_;
                                  try {
                                      serialrules::collectCapcodeRecord(copy, selectedCapcode_,
                                                                        screenRecord(tables_));
                                  } catch (...) {
                                      return std::nullopt;
                                  }
                                  return copy;
                              },
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
            .showSession = [this] { showControls(ShowRecord::Selected); },
            .stepsChanged = [this](bool canUndo,
                                   bool canRedo) { updateEditActions(canUndo, canRedo); }});
}

QString TfrmAir::startDirectory() const {
    return files_->startDirectory();
}

QString TfrmAir::currentTableFile() const {
    return files_->currentTableFile();
}
