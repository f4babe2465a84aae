// The Help menu: the support bundle and About.
#include "app/DeviceSide.h"
#include "app/LinkedPortField.h"
#include "app/MainWindow.h"
#include "app/SupportBundleDialog.h"
#include "app/WindowMemory.h"
#include "core/Messages.h"
#include "core/UserSeam.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace w = msg::window;

void TfrmAir::buildHelpMenu() {
    QMenu* help = menuBar()->addMenu(w::menuHelp);
    help->setObjectName(QStringLiteral("Help1"));
    help->menuAction()->setObjectName(QStringLiteral("Help1"));
    QAction* bundle = help->addAction(w::menuSupportBundle);
    bundle->setObjectName(QStringLiteral("SupportBundle1"));
    connect(bundle, &QAction::triggered, this,
            [this] { guard([this] { SupportBundle1Click(); }); });
    // The line check of the linked port talks to the sign: not while another exchange does.
    device_->lock().add(bundle);
    QAction* about = help->addAction(w::menuAbout);
    about->setObjectName(QStringLiteral("About1"));
    connect(about, &QAction::triggered, this, [this] { guard([this] { About1Click(); }); });

    askBundleFileName = [this](const QString& dir) {
        return QFileDialog::getSaveFileName(this, w::supportCaption,
                                            dir + QStringLiteral("/ledsign-support.zip"),
                                            QStringLiteral("Zip files (*.zip)"));
    };
}

void TfrmAir::SupportBundle1Click() {
    runExchange([this] {
        support::Options o;
        o.extraPorts = extraPorts_;
        o.windowMemoryFile = memory().syncedFile();
        // With a linked port, how its line looks now.
        o.port = linkedPort_->port();
        if (!o.port.isEmpty())
            o.lineCheck = support::checkLine(device_->exchange(), o.port);
        SupportBundleDialog dialog(
            [o](bool withImages) {
                support::Options with = o;
                with.withImages = withImages;
                return support::collect(with);
            },
            this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        const QString path =
            askBundleFileName(memory().folder(QStringLiteral("bundle"), startDirectory()));
        if (path.isEmpty())
            return;
        memory().rememberFolderOf(QStringLiteral("bundle"), path);
        QString reason;
        if (support::save(dialog.bundle(), path, &reason))
            seam().message(w::supportSaved(path));
        else
            seam().fileError(w::supportFailed(reason));
    });
}

void TfrmAir::About1Click() {
    QMessageBox::about(
        this, w::aboutCaption,
        w::aboutText(QStringLiteral(LEDSIGN_VERSION), QString::fromLatin1(qVersion())));
}
