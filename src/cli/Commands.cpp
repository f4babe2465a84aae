#include "cli/Commands.h"

#include "core/Messages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <exception>

namespace cli {

namespace {

const Subcommand kSubcommands[] = {
    {"new", "Write the default image to a new table file", runNew},
    {"show", "Print the settings of a table file as the window shows them", runShow},
    {"set", "Change settings of a table file through the window's rules", runSet},
    {"check", "Tell whether a table file is taken whole, merged or refused", runCheck},
    {"diff", "List the settings and bytes in which two table files differ", runDiff},
    {"ports", "List the serial ports the sign can be linked on", runPorts},
    {"firmware", "Show the sign's firmware identification", runFirmware},
    {"read", "Read the sign's parameters into a table file", runRead},
    {"write", "Write a table file into the sign", runWrite},
    {"verify", "Compare the sign's parameters with a table file", runVerify},
    {"doctor", "Check, read-only, why the sign does not answer on a port", runDoctor},
    {"batch", "Program a line of signs from a template and a table of units", runBatch},
    {"backups", "List the backups of signs' settings, newest first", runBackups},
    {"report", "Save a support bundle (zip) for someone helping with a sign", runReport},
    {"alpha", "Send one alpha message straight to the sign's display", runAlpha},
    {"commands", "Make, show, change or send LED sign command files (.ini)", runCommands},
};

const QString kProgram = QStringLiteral("ledsign");

void printHelp(QTextStream& s) {
    s << "Usage: " << kProgram << " <command> [options] [arguments]\n\n"
      << "Prepares and inspects the parameter tables (.tbl) of Marovelkin LED signs.\n\n"
      << "Commands:\n";
    for (const Subcommand& c : subcommands())
        s << "  " << QString::fromLatin1(c.name).leftJustified(10) << c.summary << '\n';
    s << "\nOptions:\n"
      << "  -h, --help     Show this help; '" << kProgram
      << " <command> --help' shows a command's options.\n"
      << "  -v, --version  Show the version.\n\n"
      << "Exit codes: 0 done, 1 failed (refused or unreadable file, failed write), 2 bad usage.\n";
    s.flush();
}

int usageError(const QString& text) {
    err() << kProgram << ": " << text << '\n' << msg::cli::tryHelp(kProgram) << Qt::endl;
    return kExitUsage;
}

} // namespace

int fileFailure(CliSeam& seam, const QString& shown, const QString& path, const QString& reason) {
    seam.fileError(shown);
    err() << msg::cli::fileReason(path, reason) << Qt::endl;
    return kExitFailure;
}

std::optional<tablefile::OpenResult> openTableOrFail(const QString& path, ParamImage& image,
                                                     CliSeam& seam) {
    // The window names a file by its full path in every message.
    const tablefile::OpenResult r = tablefile::open(QFileInfo(path).absoluteFilePath(), image);
    switch (r.outcome) {
    case tablefile::Outcome::Taken:
    case tablefile::Outcome::Merged:
        return r;
    case tablefile::Outcome::Refused:
        seam.error(r.message);
        break;
    case tablefile::Outcome::Unreadable:
        fileFailure(seam, r.message, path, r.detail);
        break;
    }
    return std::nullopt;
}

std::span<const Subcommand> subcommands() {
    return kSubcommands;
}

int run(const QStringList& arguments) {
    if (arguments.size() < 2) {
        printHelp(err());
        return kExitUsage;
    }
    const QString first = arguments.at(1);
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        printHelp(out());
        return kExitOk;
    }
    if (first == QLatin1String("-v") || first == QLatin1String("--version")) {
        out() << kProgram << ' ' << QCoreApplication::applicationVersion() << Qt::endl;
        return kExitOk;
    }
    // "ledsign help show" is "ledsign show --help".
    QStringList rest = arguments.mid(2);
    QString name = first;
    if (first == QLatin1String("help")) {
        if (rest.isEmpty()) {
            printHelp(out());
            return kExitOk;
        }
        name = rest.first();
        rest = {QStringLiteral("--help")};
    }
    for (const Subcommand& c : subcommands()) {
        if (name != QLatin1String(c.name))
            continue;
        try {
            return c.run(QStringList{kProgram + QLatin1Char(' ') + name} + rest);
        } catch (const std::exception& e) {
            err() << kProgram << ' ' << name << ": " << e.what() << Qt::endl;
            return kExitFailure;
        }
    }
    return usageError(msg::cli::unknownCommand(name));
}

} // namespace cli
