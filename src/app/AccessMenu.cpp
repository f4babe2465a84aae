// The side tools behind access codes: System > "Admin" opens "Alpha Data", System > "LED Sign
// Command" the command dialog. The dialogs are made at start-up as children of the window.
#include "alpha/AlphaDialog.h"
#include "alpha/PasswordDialog.h"
#include "app/MainWindow.h"
#include "core/Messages.h"
#include "core/UserSeam.h"

void TfrmAir::Admin1Click() {
    auto* ask = findChild<TPasswordDlg*>(QStringLiteral("PasswordDlg"), Qt::FindDirectChildrenOnly);
    auto* tool = findChild<TfrmSpager*>(QStringLiteral("frmSpager"), Qt::FindDirectChildrenOnly);
    if (!ask || !tool)
        return;
    if (ask->exec() != QDialog::Accepted)
        return;
    if (!opensAlphaData(ask->enteredCode())) {
        seam().message(msg::passwordError);
        return;
    }
    // Its send is one of the window's exchanges: nothing else starts while it waits.
    tool->runExchange = [this](const std::function<void()>& send) { runExchange(send); };
    tool->exec();
}

void TfrmAir::LEDSignCommand1Click() {}
