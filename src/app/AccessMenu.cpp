// The side tools behind access codes: System > "Admin" opens "Alpha Data", System > "LED Sign
// Command" the command dialog. Both dialogs are made at start-up as children of the window.
#include "alpha/AlphaDialog.h"
#include "app/AccessCodeDialog.h"
#include "app/MainWindow.h"
#include "signcmd/CommandDialog.h"

void TfrmAir::Admin1Click() {
    auto* ask =
        findChild<AccessCodeDialog*>(QStringLiteral("PasswordDlg"), Qt::FindDirectChildrenOnly);
    auto* tool = findChild<TfrmSpager*>(QStringLiteral("frmSpager"), Qt::FindDirectChildrenOnly);
    if (!ask || !tool)
        return;
    // Its send is one of the window's exchanges: nothing else starts while it waits.
    tool->runExchange = [this](const std::function<void()>& send) { runExchange(send); };
    openBehindAccessCode(seam(), *ask, AccessDoor::Admin, *tool);
}

void TfrmAir::LEDSignCommand1Click() {
    auto* ask =
        findChild<AccessCodeDialog*>(QStringLiteral("PasswordDlg1"), Qt::FindDirectChildrenOnly);
    auto* tool = findChild<TfrmCommand*>(QStringLiteral("frmCommand"), Qt::FindDirectChildrenOnly);
    if (!ask || !tool)
        return;
    tool->runExchange = [this](const std::function<void()>& send) { runExchange(send); };
    openBehindAccessCode(seam(), *ask, AccessDoor::LedSignCommand, *tool);
}
