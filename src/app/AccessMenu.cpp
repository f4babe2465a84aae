// The side tools behind access codes: System > "Admin" opens "Alpha Data", System > "LED Sign
// Command" the command dialog. Both dialogs are made at start-up as children of the window.
#include "alpha/AlphaDialog.h"
#include "app/AccessCodeDialog.h"
#include "app/MainWindow.h"
#include "signcmd/CommandDialog.h"

namespace {

// Asks for the door's code in the named access-code dialog, then opens the named tool.
template <typename Tool>
void openTool(TfrmAir& window, const QString& askName, const QString& toolName, AccessDoor door) {
    auto* ask = window.findChild<AccessCodeDialog*>(askName, Qt::FindDirectChildrenOnly);
    auto* tool = window.findChild<Tool*>(toolName, Qt::FindDirectChildrenOnly);
    if (!ask || !tool)
        return;
    // Its send is one of the window's exchanges: nothing else starts while it waits.
    tool->runExchange = [&window](const std::function<void()>& send) { window.runExchange(send); };
    openBehindAccessCode(window.seam(), *ask, door, *tool);
}

} // namespace

void TfrmAir::Admin1Click() {
    openTool<TfrmSpager>(*this, QStringLiteral("PasswordDlg"), QStringLiteral("frmSpager"),
                         AccessDoor::Admin);
}

void TfrmAir::LEDSignCommand1Click() {
    openTool<TfrmCommand>(*this, QStringLiteral("PasswordDlg1"), QStringLiteral("frmCommand"),
                          AccessDoor::LedSignCommand);
}
