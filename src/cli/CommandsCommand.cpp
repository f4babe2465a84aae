// `ledsign commands`: the command files of the "LED Sign Command" dialog and its Send, from a
// script.
#include "cli/Commands.h"
#include "core/Messages.h"
#include "signcmd/SendCommands.h"

#include <QDateTime>
#include <QFileInfo>

namespace cli {

namespace {

using namespace signcmd;

const QString kIniFileArg = QStringLiteral("file");
const QString kForce = QStringLiteral("force");
const QString kKeepDateTime = QStringLiteral("keep-date-time");

// The file as Open INI File takes it into a dialog holding its start-up values.
std::optional<CommandValues> load(const QString& path) {
    CommandValues v = startupValues(QDateTime::currentDateTime());
    QString error;
    if (!loadCommandFile(path, v, &error)) {
        err() << msg::cli::fileReason(path, error) << Qt::endl;
        return std::nullopt;
    }
    return v;
}

const Command* byKeyword(const QString& keyword) {
    for (const Command& c : commands())
        if (keyword.compare(QLatin1String(c.keyword), Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QStringList keywords() {
    QStringList k;
    for (int n : controlOrder())
        k << QLatin1String(commands()[n].keyword);
    return k;
}

int runNewFile(const QStringList& args) {
    ArgParser p(args, QStringLiteral("Writes a new command file (.ini) with the dialog's start-up "
                                     "values, the date and time fields from the clock."));
    p.addPositional(kIniFileArg, QStringLiteral("The command file to write (.ini)."));
    p.addOption(
        {{QStringLiteral("f"), kForce}, QStringLiteral("Replace the file when it exists.")});
    if (auto done = p.parse(1, 1))
        return *done;
    CliSeam seam(p.presets());
    const QString path = p.positional().first();
    if (QFileInfo::exists(path) && !p.isSet(kForce)) {
        err() << msg::cli::fileExists(path) << Qt::endl;
        return kExitFailure;
    }
    QString reason;
    if (!saveCommandFile(path, startupValues(QDateTime::currentDateTime()), &reason))
        return fileFailure(seam, msg::saveError, path, reason);
    return kExitOk;
}

int runShowFile(const QStringList& args) {
    ArgParser p(args, QStringLiteral("Lists the 34 commands of a command file in the order they "
                                     "are sent, with their descriptions; '*' marks those that "
                                     "differ from the sign's defaults."));
    p.addPositional(kIniFileArg, QStringLiteral("The command file (.ini)."));
    if (auto done = p.parse(1, 1))
        return *done;
    const auto v = load(p.positional().first());
    if (!v)
        return kExitFailure;
    for (int n : controlOrder()) {
        const Command& c = commands()[n];
        const QString value = encode(c, (*v)[n]);
        const bool changed = value != defaultValue(QLatin1String(c.keyword));
        out() << (changed ? "* " : "  ")
              << (QLatin1String(c.keyword) + QLatin1Char('=') + value).leftJustified(48) << ' '
              << c.description << '\n';
    }
    out().flush();
    return kExitOk;
}

int runSetFile(const QStringList& args) {
    ArgParser p(args,
                QStringLiteral("Sets commands of a command file as the dialog would and saves "
                               "it in place. A value is given as the file stores it: a coded "
                               "list's code, the sign type's letter, free text otherwise."));
    p.addPositional(kIniFileArg, QStringLiteral("The command file (.ini)."));
    p.addPositional(QStringLiteral("changes"), QStringLiteral("KEYWORD=VALUE, one or more."),
                    QStringLiteral("KEYWORD=VALUE..."));
    if (auto done = p.parse(2, 1000))
        return *done;
    CliSeam seam(p.presets());
    const QString path = p.positional().first();
    auto v = load(path);
    if (!v)
        return kExitFailure;
    for (const QString& change : p.positional().mid(1)) {
        const qsizetype eq = change.indexOf(QLatin1Char('='));
        if (eq < 0)
            return p.usageError(msg::cli::notKeyValue(change));
        const Command* c = byKeyword(change.left(eq).trimmed());
        if (!c)
            return p.usageError(msg::cli::unknownKey(change.left(eq), keywords()));
        const QString stored = change.mid(eq + 1);
        const auto decoded = decode(*c, stored, (*v)[c->number]);
        if (!decoded) {
            seam.message(conversionError(stored));
            err() << msg::cli::changeRefused(change, path) << Qt::endl;
            return kExitFailure;
        }
        (*v)[c->number] = *decoded;
    }
    QString reason;
    if (!saveCommandFile(path, *v, &reason))
        return fileFailure(seam, msg::saveError, path, reason);
    return kExitOk;
}

int runSendFile(const QStringList& args) {
    ArgParser p(args, QStringLiteral("Sends a command file to the sign as the dialog's Send does: "
                                     "\"MKLEDDEFAULT\", the default message, then every command "
                                     "that differs from the sign's default."));
    addLineOptions(p);
    p.addOption({kKeepDateTime, QStringLiteral("Send the file's date and time fields instead of "
                                               "the clock's.")});
    addPauseOption(p, QStringLiteral("How long the sign's display is given after each frame, in "
                                     "milliseconds (default 1500)."));
    p.addPositional(kIniFileArg, QStringLiteral("The command file (.ini)."));
    if (auto done = p.parse(1, 1))
        return *done;
    SignLine line(p.presets());
    if (auto bad = takeLineOptions(p, line))
        return *bad;
    DisplayTiming timing;
    if (auto bad = takePauseOption(p, &timing.pauseMs))
        return *bad;
    auto v = load(p.positional().first());
    if (!v)
        return kExitFailure;
    if (!p.isSet(kKeepDateTime))
        refreshDateTime(*v, QDateTime::currentDateTime());
    return line.finish(sendCommands(line.exchange, line.link, *v, timing) ? kExitOk : kExitFailure);
}

struct Action {
    const char* name;
    int (*run)(const QStringList& args);
};
const Action kActions[] = {
    {"new", runNewFile}, {"show", runShowFile}, {"set", runSetFile}, {"send", runSendFile}};

} // namespace

int runCommands(const QStringList& args) {
    const QString usage = QStringLiteral("new|show|set|send");
    if (args.size() < 2)
        return ArgParser(args, QString()).usageError(msg::cli::missingArgument(usage));
    const QString action = args.at(1);
    if (action == QLatin1String("-h") || action == QLatin1String("--help")) {
        out() << "Usage: " << args.first() << " <" << usage << "> ...\n"
              << "The command files (.ini) of the LED Sign Command dialog; '" << args.first()
              << " ACTION --help' shows an action's options." << Qt::endl;
        return kExitOk;
    }
    for (const Action& a : kActions)
        if (action == QLatin1String(a.name))
            return a.run(QStringList{args.first() + QLatin1Char(' ') + action} + args.mid(2));
    return ArgParser(args, QString()).usageError(msg::cli::unknownCommand(action));
}

} // namespace cli
