// Unsaved changes and undo: the window compares its settings with the ones last kept (opened,
// saved, read or written) and keeps every committed edit as a step that can be undone.
#include "app/DeviceSide.h"
#include "app/FileController.h"
#include "app/MainWindow.h"
#include "app/PairMaskEdit.h"
#include "app/ReadingOrder.h"
#include "app/SettingsBinder.h"
#include "app/UndoController.h"
#include "app/WindowMemory.h"
#include "core/Messages.h"
#include "core/UserSeam.h"
#include "editor/SerialOutputRules.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalBlocker>
#include <algorithm>
#include <vector>

namespace label = msg::label;

namespace {

// Ctrl+Z in an edit undoes its typing while there is typing to undo; otherwise it belongs to
// the window, which undoes the last committed edit.
class EditUndoKeys : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        auto* edit = qobject_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (!edit)
            return false;
        if (key->matches(QKeySequence::Undo) && !edit->isUndoAvailable())
            return true;
        if (key->matches(QKeySequence::Redo) && !edit->isRedoAvailable())
            return true;
        return false;
    }
};

// The table file a drop carries, or empty.
QString droppedTableFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls())
        return QString();
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() &&
            url.toLocalFile().endsWith(QStringLiteral(".tbl"), Qt::CaseInsensitive))
            return url.toLocalFile();
    return QString();
}

} // namespace

void TfrmAir::buildSessionSupport(const Options& options) {
    rememberBackupChoice();

    QMenu* file = menu(QStringLiteral("File1"));
    auto* recent = new QMenu(label::menuOpenRecent, file);
    recent->setObjectName(QStringLiteral("OpenRecent1"));
    recent->menuAction()->setObjectName(QStringLiteral("OpenRecent1"));
    file->insertMenu(action(QStringLiteral("Save1")), recent);
    connect(recent, &QMenu::aboutToShow, this, [this] { fillRecentMenu(); });
    fillRecentMenu();

    auto* edit = new QMenu(label::menuEdit, menuBar());
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->menuAction()->setObjectName(QStringLiteral("Edit1"));
    menuBar()->insertMenu(action(QStringLiteral("Pager1")), edit);
    QAction* undo = edit->addAction(label::menuUndo);
    undo->setObjectName(QStringLiteral("Undo1"));
    undo->setShortcut(QKeySequence::Undo);
    connect(undo, &QAction::triggered, this, [this] { guard([this] { Undo1Click(); }); });
    QAction* redo = edit->addAction(label::menuRedo);
    redo->setObjectName(QStringLiteral("Redo1"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(redo, &QAction::triggered, this, [this] { guard([this] { Redo1Click(); }); });
    for (QAction* a : {recent->menuAction(), undo, redo})
        device_->lock().add(a);

    auto* keys = new EditUndoKeys(this);
    for (QLineEdit* e : centralWidget()->findChildren<QLineEdit*>())
        e->installEventFilter(keys);

    setAcceptDrops(true);
    // The focus sink lies hidden under a panel: Tab never stops there.
    focusSink_->setFocusPolicy(Qt::ClickFocus);
    // The pages lie in one place: the capcode page first, then the serial output page.
    QList<QWidget*> order = readingOrder(capcodePage_) + readingOrder(serialPage_);
    for (QWidget* w : readingOrder(centralWidget()))
        if (!order.contains(w))
            order << w;
    setTabChain(order);
    nameFromCaptions(centralWidget());

    if (options.maximise && !memory_->geometry().isEmpty())
        restoreGeometry(memory_->geometry());
    updateEditActions(false, false);
}

// --- Undo and unsaved changes ------------------------------------------------------------

void TfrmAir::startSession() {
    undo_->setLive(true);
    undo_->start();
    files_->markKept();
}

void TfrmAir::afterHandler() {
    if (undo_->handlerEnded(binder_ && binder_->typing()))
        files_->updateModifiedMark();
}

void TfrmAir::Undo1Click() {
    undo_->undo();
}

void TfrmAir::Redo1Click() {
    undo_->redo();
}

void TfrmAir::updateEditActions(bool canUndo, bool canRedo) {
    if (QAction* a = action(QStringLiteral("Undo1")))
        device_->lock().setEnabled(a, canUndo);
    if (QAction* a = action(QStringLiteral("Redo1")))
        device_->lock().setEnabled(a, canRedo);
}

bool TfrmAir::keepOrDropEdits() {
    return files_->keepOrDropEdits();
}

// --- Dropped files ---------------------------------------------------------------------------

void TfrmAir::dragEnterEvent(QDragEnterEvent* event) {
    if (!exchangeRunning() && !droppedTableFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TfrmAir::dropEvent(QDropEvent* event) {
    const QString file = droppedTableFile(event->mimeData());
    if (file.isEmpty() || exchangeRunning())
        return;
    event->acceptProposedAction();
    guard([this, file] {
        if (keepOrDropEdits())
            openTableFileNamed(file);
    });
}
