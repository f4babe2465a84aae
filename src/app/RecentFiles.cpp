// File > "Open Recent" and the window's own place, both remembered between runs.
#include "app/DeviceSide.h"
#include "app/MainWindow.h"
#include "app/WindowMemory.h"

#include <QAction>
#include <QDir>
#include <QMenu>

void TfrmAir::fillRecentMenu() {
    QMenu* recent = menu(QStringLiteral("OpenRecent1"));
    if (!recent)
        return;
    recent->clear();
    const QStringList files = memory().recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files[i];
        // "&1 name" lets the keyboard pick an entry; the full path is in the tooltip.
        QAction* a = recent->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(file)));
        a->setObjectName(QStringLiteral("Recent%1").arg(i + 1));
        a->setData(file);
        connect(a, &QAction::triggered, this, [this, file] {
            guard([this, file] {
                if (!exchangeRunning() && keepOrDropEdits())
                    openTableFileNamed(file);
            });
        });
    }
    // An empty list leaves the menu off, so it cannot refill itself on showing: a file
    // remembered refills it (FileController's recentChanged).
    device_->lock().setEnabled(recent->menuAction(), !files.isEmpty());
}

void TfrmAir::rememberWindow() {
    memory().setGeometry(saveGeometry());
}
