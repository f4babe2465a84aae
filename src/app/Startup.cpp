#include "app/Startup.h"

#include "alpha/AlphaDialog.h"
#include "app/AccessCodeDialog.h"
#include "app/DeviceSide.h"
#include "app/MainWindow.h"
#include "app/ReadingOrder.h"
#include "app/WindowMemory.h"
#include "core/Messages.h"
#include "protocol/ConnectionDialog.h"
#include "signcmd/CommandDialog.h"

#include <QFileInfo>

StartupWindows createStartupWindows(TfrmAir& main) {
    StartupWindows w;
    w.frmConn = main.createConnectionDialog();
    w.frmSpager = new TfrmSpager(main.device().exchange(), main.device().link(), &main);
    // One entered access code for both access-code dialogs.
    auto entered = std::make_shared<EnteredAccessCode>();
    w.PasswordDlg = new TPasswordDlg(entered, &main);
    auto* command = new TfrmCommand(main.device().exchange(), main.device().link(), &main);
    command->startDirectory = main.startDirectory();
    command->lastFolder = main.memory().folder(QStringLiteral("commandFile"), QString());
    command->lastFolderChanged = [&main](const QString& folder) {
        main.memory().setFolder(QStringLiteral("commandFile"), folder);
    };
    main.initialiseCommandTable = [command] { command->initialise(); };
    w.frmCommand = command;
    w.PasswordDlg1 = new TPasswordDlg1(entered, &main);
    for (QDialog* d : {w.frmConn, w.frmSpager, w.PasswordDlg, w.frmCommand, w.PasswordDlg1})
        setReadingOrderWhenShown(d);
    return w;
}

bool openFromCommandLine(TfrmAir& main, const QString& file) {
    bool opened = false;
    main.guard([&] {
        if (main.keepOrDropEdits())
            opened = main.openTableFileNamed(QFileInfo(file).absoluteFilePath());
    });
    return opened;
}
