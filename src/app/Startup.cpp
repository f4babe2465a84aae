#include "app/Startup.h"

#include "alpha/AlphaDialog.h"
#include "alpha/PasswordDialog.h"
#include "app/DeviceSide.h"
#include "app/MainWindow.h"
#include "core/Messages.h"
#include "protocol/ConnectionDialog.h"

namespace {
QDialog* shell(TfrmAir& main, const QString& name, const QString& caption) {
    auto* d = new QDialog(&main);
    d->setObjectName(name);
    d->setWindowTitle(caption);
    d->setModal(true);
    d->hide();
    return d;
}
} // namespace

StartupWindows createStartupWindows(TfrmAir& main) {
    StartupWindows w;
    w.frmConn = main.createConnectionDialog();
    w.frmSpager = new TfrmSpager(main.device().exchange(), main.device().link(), &main);
    // The entered access code, shared with the "LED Sign Command" access dialog.
    w.PasswordDlg = new TPasswordDlg(std::make_shared<QString>(), &main);
    w.frmCommand = shell(main, QStringLiteral("frmCommand"), msg::label::ledSignCommandCaption);
    w.PasswordDlg1 = shell(main, QStringLiteral("PasswordDlg1"), msg::label::passwordDialogCaption);
    return w;
}
