#pragma once

#include "app/AccessCodeDialog.h"

#include <QDialog>

class TfrmAir;

// The windows beside the main window, hidden until their menu items open them modally. The
// Connection dialog (TfrmConn, "Link(F6)") is made at start, after the main window. The two
// side tools behind access codes, each with its access-code dialog, are made the first time
// they are asked for and then kept, with their contents, for the whole run: nothing of them
// is on the first frame, and the command dialog alone costs as much to build as the window.
void createStartupWindows(TfrmAir& main);

// A side tool and the dialog that asks for its code: "Alpha Data" (`frmSpager`) behind
// `PasswordDlg`, "LED Sign Command" (`frmCommand`) behind `PasswordDlg1`. The two access-code
// dialogs share one entered code.
struct SideTool {
    AccessCodeDialog* ask = nullptr;
    QDialog* tool = nullptr;
};
// The door's pair, made on first use, owned by the main window; empty before
// createStartupWindows.
SideTool sideTool(TfrmAir& main, AccessDoor door);

// Opens a table file named on the command line, after start-up (default.tbl first), as File >
// Open opens a chosen file: its messages, the caption, Open Recent. A relative name is taken
// from the working directory. True when the file was taken or merged.
bool openFromCommandLine(TfrmAir& main, const QString& file);
