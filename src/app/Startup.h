#pragma once

#include <QDialog>

class TfrmAir;

// The windows created at start, after the main window and hidden until their menu items
// open them modally.
struct StartupWindows {
    QDialog* frmConn = nullptr;      // Connection (TfrmConn: port choice and link)
    QDialog* frmSpager = nullptr;    // Alpha Data
    QDialog* PasswordDlg = nullptr;  // access code of "Admin"
    QDialog* frmCommand = nullptr;   // LED Sign Command
    QDialog* PasswordDlg1 = nullptr; // access code of "LED Sign Command"
};

// Creates them in this order, owned by the main window.
StartupWindows createStartupWindows(TfrmAir& main);

// Opens a table file named on the command line, after start-up (default.tbl first), as File >
// Open opens a chosen file: its messages, the caption, Open Recent. A relative name is taken
// from the working directory. True when the file was taken or merged.
bool openFromCommandLine(TfrmAir& main, const QString& file);
