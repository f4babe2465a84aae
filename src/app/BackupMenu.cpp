// What the window does with the backups of the sign's settings: the item that turns the
// backup before a Write on and off (remembered between runs), opening a backup, the Backups
// window, and the comparison of the window's settings (or a backup's) with the sign's.
#include "app/BackupsWindow.h"
#include "app/CompareDialog.h"
#include "app/DeviceSide.h"
#include "app/FileController.h"
#include "app/MainWindow.h"
#include "app/WindowMemory.h"
#include "backup/Backups.h"
#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/TableFile.h"
#include "settings/Differences.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace {
const QString kBackupKey = QStringLiteral("pager/backupBeforeWrite");
const QString kBackupsWindow = QStringLiteral("frmBackups");
} // namespace

void TfrmAir::buildBackupItems(QMenu* file, QAction* fileBefore, QMenu* pager) {
    auto* open = new QAction(msg::label::menuOpenBackup, file);
    open->setObjectName(QStringLiteral("OpenBackup1"));
    file->insertAction(fileBefore, open);
    connect(open, &QAction::triggered, this, [this] { guard([this] { OpenBackup1Click(); }); });
    auto* backups = new QAction(msg::label::menuBackups, file);
    backups->setObjectName(QStringLiteral("Backups1"));
    file->insertAction(fileBefore, backups);
    connect(backups, &QAction::triggered, this, [this] { guard([this] { Backups1Click(); }); });

    QAction* compare = pager->addAction(msg::label::menuCompareWithSign);
    compare->setObjectName(QStringLiteral("CompareWithSign1"));
    connect(compare, &QAction::triggered, this,
            [this] { guard([this] { CompareWithSign1Click(); }); });
    QAction* backUp = pager->addAction(msg::label::menuBackUpBeforeWrite);
    backUp->setObjectName(QStringLiteral("BackUpBeforeWrite1"));
    backUp->setCheckable(true);
    backUp->setChecked(true);
}

void TfrmAir::rememberBackupChoice() {
    QAction* backUp = action(QStringLiteral("BackUpBeforeWrite1"));
    backUp->setChecked(memory().flag(kBackupKey, true));
    connect(backUp, &QAction::toggled, this, [this](bool on) { memory().setFlag(kBackupKey, on); });
}

bool TfrmAir::backUpBeforeWrite() const {
    const QAction* a = action(QStringLiteral("BackUpBeforeWrite1"));
    return !a || a->isChecked();
}

void TfrmAir::OpenBackup1Click() {
    if (!keepOrDropEdits())
        return;
    // A file of the backup folder opens as an untitled copy (openTableFileNamed).
    const QString name = files_->askOpenFileName(backup::defaultFolder());
    if (!name.isEmpty())
        openTableFileNamed(name);
}

void TfrmAir::Backups1Click() {
    auto* window = findChild<BackupsWindow*>(kBackupsWindow, Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new BackupsWindow(backup::defaultFolder(), this);
        window->canCompare = [this] {
            const QMenu* pager = menu(QStringLiteral("Pager1"));
            return pager && pager->menuAction()->isEnabled() && !exchangeRunning();
        };
        connect(window, &BackupsWindow::openRequested, this, [this](const QString& path) {
            guard([this, &path] {
                if (!exchangeRunning() && keepOrDropEdits())
                    openTableFileNamed(path);
            });
        });
        connect(window, &BackupsWindow::compareRequested, this, [this](const QString& path) {
            guard([this, &path] {
                ParamImage backup;
                const tablefile::OpenResult r = tablefile::open(path, backup);
                if (r.outcome == tablefile::Outcome::Unreadable) {
                    seam().fileError(r.message);
                    return;
                }
                if (!r.accepted()) {
                    seam().message(r.message);
                    return;
                }
                compareSignWith([backup] { return backup; }, msg::label::compareBackup);
            });
        });
    }
    window->reload();
    window->show();
    window->raise();
    window->activateWindow();
}

void TfrmAir::CompareWithSign1Click() {
    compareSignWith(
        [this] {
            collectPendingRecord();
            return image_;
        },
        msg::label::compareWindow);
}

void TfrmAir::compareSignWith(const std::function<ParamImage()>& mine, const QString& mineCaption) {
    runExchange([this, &mine, &mineCaption] {
        const auto sign = device_->operations().readForComparison();
        if (!sign)
            return;
        const ParamImage other = mine();
        // The checksum slot is no setting; the other copy's stands in for the sign's.
        ParamImage signImage;
        signImage.assign(sign->left(layout::kSummedBytes));
        for (int i = layout::kSummedBytes; i < layout::kImageSize; ++i)
            signImage.set(i, other.at(i));
        const settings::Differences d = settings::compareImages(signImage, other);
        if (d.settings.isEmpty()) {
            seam().message(msg::signHoldsSettings);
            return;
        }
        if (showDifferences) {
            showDifferences(d);
            return;
        }
        CompareDialog dialog(d, msg::label::compareCaption, mineCaption, this);
        dialog.exec();
    });
}
