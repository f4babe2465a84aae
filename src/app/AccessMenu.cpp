// The side tools behind access codes: System > "Admin" opens "Alpha Data", System > "LED Sign
// Command" the command dialog. Each is made, as a child of the window, when first opened.
#include "alpha/AlphaDialog.h"
#include "app/AccessCodeDialog.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "signcmd/CommandDialog.h"

namespace {

// Asks for the door's code in its access-code dialog, then opens the tool.
template <typename Tool> void openTool(TfrmAir& window, AccessDoor door) {
    const SideTool pair = sideTool(window, door);
    auto* tool = qobject_cast<Tool*>(pair.tool);
    if (!pair.ask || !tool)
        return;
    // Its send is one of the window's exchanges: nothing else starts while it waits.
    tool->runExchange = [&window](const std::function<void()>& send) { window.runExchange(send); };
    openBehindAccessCode(window.seam(), *pair.ask, door, *tool);
}

} // namespace

void TfrmAir::Admin1Click() {
    openTool<TfrmSpager>(*this, AccessDoor::Admin);
}

void TfrmAir::LEDSignCommand1Click() {
    openTool<TfrmCommand>(*this, AccessDoor::LedSignCommand);
}
