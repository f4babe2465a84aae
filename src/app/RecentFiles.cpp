// File > "Open Recent" and the window's own place, both remembered between runs.
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
    exchangeLock_.setEnabled(recent->menuAction(), !files.isEmpty());
}

void TfrmAir::rememberRecentFile(const QString& path) {
    memory().addRecentFile(path);
    // An empty list leaves the menu off, so it cannot refill itself on showing.
    fillRecentMenu();
}

void TfrmAir::rememberWindow() {
    memory().setGeometry(saveGeometry());
}
