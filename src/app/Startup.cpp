#include "app/Startup.h"

#include "alpha/AlphaDialog.h"
#include "app/DeviceSide.h"
#include "app/MainWindow.h"
#include "app/ReadingOrder.h"
#include "app/WindowMemory.h"
#include "protocol/ConnectionDialog.h"
#include "signcmd/CommandDialog.h"

#include <QFileInfo>

namespace {

// What the side tools need before they are made, kept as a child of the main window.
class SideTools : public QObject {
  public:
    explicit SideTools(TfrmAir& main) : QObject(&main), main_(main) {
        setObjectName(kName);
        // The command table is initialised at the window's first show, or when its dialog is
        // made after that.
        main.initialiseCommandTable = [this] {
            mainShown_ = true;
            if (command_.tool)
                static_cast<TfrmCommand*>(command_.tool)->initialise();
        };
    }

    static SideTools* of(TfrmAir& main) {
        return dynamic_cast<SideTools*>(
            main.findChild<QObject*>(kName, Qt::FindDirectChildrenOnly));
    }

    SideTool get(AccessDoor door) {
        SideTool& t = door == AccessDoor::Admin ? admin_ : command_;
        if (!t.tool)
            t = door == AccessDoor::Admin ? makeAdmin() : makeCommand();
        return t;
    }

  private:
    static constexpr QLatin1StringView kName{"ledsignSideTools"};

    SideTool makeAdmin() {
        SideTool t;
        t.tool = new TfrmSpager(main_.device().exchange(), main_.device().link(), &main_);
        t.ask = new TPasswordDlg(entered_, &main_);
        return readInOrder(t);
    }

    SideTool makeCommand() {
        auto* command = new TfrmCommand(main_.device().exchange(), main_.device().link(), &main_);
        command->startDirectory = main_.startDirectory();
        command->lastFolder = main_.memory().folder(QStringLiteral("commandFile"), QString());
        TfrmAir* main = &main_;
        command->lastFolderChanged = [main](const QString& folder) {
            main->memory().setFolder(QStringLiteral("commandFile"), folder);
        };
        if (mainShown_)
            command->initialise();
        return readInOrder({new TPasswordDlg1(entered_, &main_), command});
    }

    static SideTool readInOrder(const SideTool& t) {
        setReadingOrderWhenShown(t.ask);
        setReadingOrderWhenShown(t.tool);
        return t;
    }

    TfrmAir& main_;
    // One entered access code for both access-code dialogs.
    std::shared_ptr<EnteredAccessCode> entered_ = std::make_shared<EnteredAccessCode>();
    bool mainShown_ = false;
    SideTool admin_, command_;
};

} // namespace

void createStartupWindows(TfrmAir& main) {
    setReadingOrderWhenShown(main.createConnectionDialog());
    if (!SideTools::of(main))
        new SideTools(main);
}

SideTool sideTool(TfrmAir& main, AccessDoor door) {
    SideTools* tools = SideTools::of(main);
    return tools ? tools->get(door) : SideTool{};
}

bool openFromCommandLine(TfrmAir& main, const QString& file) {
    bool opened = false;
    main.guard([&] {
        if (main.keepOrDropEdits())
            opened = main.openTableFileNamed(QFileInfo(file).absoluteFilePath());
    });
    return opened;
}
