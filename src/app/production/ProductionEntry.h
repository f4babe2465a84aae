#pragma once

#include "app/production/ProductionSetup.h"

#include <QStringList>

class QMenu;
class QWidget;
class TfrmAir;
class WindowMemory;

// The two ways into the production screen: Pager > "Production..." (the set-up dialog first)
// and `ledsign-programmer --production TEMPLATE UNITS --port P...` for a bench's shortcut.
void addProductionItem(TfrmAir& window, QMenu* pager);

// The set-up dialog filled with setup, then the screen in a window of its own; nothing when
// the dialog is cancelled. errors: problems found before, shown in the dialog.
void openProduction(WindowMemory& memory, const production::Setup& setup,
                    const QStringList& extraPorts, const QStringList& errors = {},
                    QWidget* parent = nullptr);

struct ProductionStart {
    bool start = false;        // --start: the run begins at once
    bool quitAfterRun = false; // --quit-after-run: print the figures and end with the run
};

// --production: checks what the command line names and opens the screen; when the check
// fails, the problems are printed and the set-up dialog shows them. Runs the event loop and
// returns the program's exit code (with --quit-after-run: 0 when every unit is ok, as
// `ledsign batch`).
int runProductionFromCommandLine(production::Setup setup, const QStringList& extraPorts,
                                 const ProductionStart& how);
