// What the window does with the backups of the sign's settings: the item that turns the
// backup before a Write on and off (remembered between runs), opening a backup, and the
// comparison of the window's settings with the sign's.
#include "app/CompareDialog.h"
#include "app/DeviceSide.h"
#include "app/MainWindow.h"
#include "app/WindowMemory.h"
#include "backup/Backups.h"
#include "core/Messages.h"
#include "core/UserSeam.h"
#include "settings/Differences.h"

#include <QAction>
#include <QMenu>

namespace {
const QString kBackupKey = QStringLiteral("pager/backupBeforeWrite");
} // namespace

void TfrmAir::buildBackupItems(QMenu* file, QAction* fileBefore, QMenu* pager) {
    auto* open = new QAction(msg::label::menuOpenBackup, file);
    open->setObjectName(QStringLiteral("OpenBackup1"));
    file->insertAction(fileBefore, open);
    connect(open, &QAction::triggered, this, [this] { guard([this] { OpenBackup1Click(); }); });

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
    const QString folder = backup::defaultFolder();
    const QString name = askOpenFileName(folder);
    if (!name.isEmpty())
        openTableFileNamed(name);
}

void TfrmAir::CompareWithSign1Click() {
    runExchange([this] {
        const auto sign = device_->operations().readForComparison();
        if (!sign)
            return;
        collectPendingRecord();
        // The checksum slot is no setting; the window's copy stands in for the sign's.
        ParamImage signImage;
        signImage.assign(sign->left(layout::kSummedBytes));
        for (int i = layout::kSummedBytes; i < layout::kImageSize; ++i)
            signImage.set(i, image_.at(i));
        const settings::Differences d = settings::compareImages(signImage, image_);
        if (d.settings.isEmpty()) {
            seam().message(msg::signHoldsSettings);
            return;
        }
        if (showDifferences) {
            showDifferences(d);
            return;
        }
        CompareDialog dialog(d, this);
        dialog.exec();
    });
}
