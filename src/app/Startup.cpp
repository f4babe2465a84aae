#include "app/Startup.h"

#include "alpha/AlphaDialog.h"
#include "app/AccessCodeDialog.h"
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
    // One entered access code for both access-code dialogs.
    auto entered = std::make_shared<EnteredAccessCode>();
    w.PasswordDlg = new TPasswordDlg(entered, &main);
    w.frmCommand = shell(main, QStringLiteral("frmCommand"), msg::label::ledSignCommandCaption);
    w.PasswordDlg1 = new TPasswordDlg1(entered, &main);
    return w;
}
