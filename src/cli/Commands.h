#pragma once

#include "backup/Backups.h"
#include "cli/ArgParser.h"
#include "cli/CliSeam.h"
#include "image/ParamImage.h"
#include "image/TableFile.h"
#include "protocol/Exchange.h"
#include "protocol/Link.h"
#include "protocol/OperationHost.h"
#include "protocol/PagerOperations.h"
#include "protocol/WireTrace.h"
#include "serial/TCommPort.h"

#include <QStringList>
#include <memory>
#include <optional>
#include <span>

// The subcommands of `ledsign`. Adding one takes its run function (in its own file) and one
// row in the table of Commands.cpp.
namespace cli {

enum ExitCode : int {
    kExitOk = 0,      // done; the file was taken whole or merged
    kExitFailure = 1, // refused, unreadable, not written, the sign failed
    kExitUsage = 2,   // bad command line
};

// args[0] is the command as typed ("ledsign show"), then the subcommand's own arguments.
struct Subcommand {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args);
};

std::span<const Subcommand> subcommands();

// The whole command line (arguments[0] is the program); returns the exit code.
int run(const QStringList& arguments);

// A file that could not be read or written: the window's file error box with shown, then
// the path and the system's reason on standard error. Returns kExitFailure.
int fileFailure(CliSeam& seam, const QString& shown, const QString& path, const QString& reason);

// Opens a table file as the window's File, Open does: a plain pager receiver's file is merged
// into image. A refused file's message and an unreadable file's failure go to standard error
// and give nothing; the message of a merge is the caller's to show, as it belongs to its
// output.
std::optional<tablefile::OpenResult> openTableOrFail(const QString& path, ParamImage& image,
                                                     CliSeam& seam);

// Table files (FileCommands.cpp)
int runNew(const QStringList& args);
int runShow(const QStringList& args);
int runCheck(const QStringList& args);
// Changing a table file through the window's rules (SetCommand.cpp)
int runSet(const QStringList& args);
int runDiff(const QStringList& args); // DiffCommand.cpp

// The sign (DeviceCommands.cpp)
int runPorts(const QStringList& args);
int runFirmware(const QStringList& args);
int runRead(const QStringList& args);
int runWrite(const QStringList& args);
int runVerify(const QStringList& args);
int runDoctor(const QStringList& args);
int runBackups(const QStringList& args); // BackupsCommand.cpp
int runReport(const QStringList& args);  // ReportCommand.cpp
int runBatch(const QStringList& args);   // BatchCommand.cpp
// What a command that talks to the sign holds: the port (closed when the command ends, even
// after a send that leaves it open for the window's next operation), the exchange and the
// link.
struct SignLine {
    std::unique_ptr<WireTrace> trace; // --trace; first, so it hears the port close
    TCommPort port;
    CliSeam seam;
    Exchange exchange{port, seam};
    LinkState link;

    explicit SignLine(const CliSeam::Presets& presets) : seam(presets) {}

    // The command's exit code once the line is closed and the trace written out: a trace that
    // could not be written in full is said on standard error and fails the command (after
    // whatever the command itself reported).
    int finish(int code);
};
// Everything one command that reads or writes the sign's parameters needs: the line, the
// window's operations over it, and the backups they keep.
struct SignOperations : SignLine {
    std::unique_ptr<OperationHost> host;
    std::unique_ptr<PagerOperations> ops;
    std::unique_ptr<backup::Store> backups;

    SignOperations(const CliSeam::Presets& presets, ParamImage& image);
    ~SignOperations();
};

// --port, --poll-ms and --trace of every command that talks to the sign; takeLineOptions returns
// the usage exit code on a mistake.
void addLineOptions(ArgParser& p);
std::optional<int> takeLineOptions(const ArgParser& p, SignLine& line);
// --pause-ms of the commands that send texts to the sign's display, with its help text;
// takePauseOption sets *pauseMs when given and returns the usage exit code on a mistake.
void addPauseOption(ArgParser& p, const QString& help);
std::optional<int> takePauseOption(const ArgParser& p, int* pauseMs);

// Alpha Data (AlphaCommand.cpp)
int runAlpha(const QStringList& args);
// LED sign command files and their Send (CommandsCommand.cpp)
int runCommands(const QStringList& args);

} // namespace cli
