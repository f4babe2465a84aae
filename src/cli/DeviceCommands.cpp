// The subcommands that talk to the sign. They run the window's own operations, so every
// message reads as the window shows it.
#include "backup/Backups.h"
#include "cli/Commands.h"
#include "core/Messages.h"
#include "image/TableFile.h"
#include "protocol/Exchange.h"
#include "protocol/LineDoctor.h"
#include "protocol/Link.h"
#include "protocol/OperationEnd.h"
#include "protocol/OperationHost.h"
#include "protocol/PagerOperations.h"
#include "serial/TCommPort.h"
#include "settings/Differences.h"

#include <QFileInfo>
#include <QLocale>

namespace cli {

namespace {

const QString kPort = QStringLiteral("port");
const QString kPollMs = QStringLiteral("poll-ms");
const QString kPauseMs = QStringLiteral("pause-ms");
const QString kTrace = QStringLiteral("trace");

// A command line has no controls: nothing is pending, and a refresh only leaves the model
// tag as the window's refresh does.
class CliHost : public OperationHost {
  public:
    explicit CliHost(ParamImage& image) : image_(image) {}
    void collectPendingRecord() override {}
    void refreshFromImage() override { image_.writeModelTag(); }
    void setWriteEnabled(bool) override {}
    void enablePager() override {}

  private:
    ParamImage& image_;
};

} // namespace

SignOperations::SignOperations(const CliSeam::Presets& presets, ParamImage& image)
    : SignLine(presets), host(std::make_unique<CliHost>(image)),
      ops(std::make_unique<PagerOperations>(exchange, image, link, *host)),
      backups(std::make_unique<backup::Store>()) {
    ops->setKeeper(backups.get());
    ops->setDifferenceLister(settings::differenceLines);
}
SignOperations::~SignOperations() = default;

int SignLine::finish(int code) {
    ClosePortQuietly(exchange);
    if (!trace)
        return code;
    trace->flush();
    if (trace->complete())
        return code;
    fileFailure(seam, msg::trace::incomplete, trace->path(), trace->failure());
    return code == kExitOk ? kExitFailure : code;
}

namespace {

// Takes a table file as the window's File, Open does (pager receiver files merged into the
// image given, the model tag left as a refresh leaves it). False when it cannot be used.
bool takeTable(const QString& path, ParamImage& image, CliSeam& seam) {
    const std::optional<tablefile::OpenResult> r = openTableOrFail(path, image, seam);
    if (!r)
        return false;
    if (r->outcome == tablefile::Outcome::Merged)
        seam.message(r->message);
    image.writeModelTag();
    return true;
}

int exitFor(bool ok) {
    return ok ? kExitOk : kExitFailure;
}

} // namespace

void addLineOptions(ArgParser& p) {
    p.addOption({kPort,
                 QStringLiteral("The serial port the sign hangs on (for example "
                                "/dev/ttyUSB0), or a network serial server: "
                                "rfc2217://HOST:PORT or socket://HOST:PORT."),
                 QStringLiteral("path")});
    p.addOption({kPollMs,
                 QStringLiteral("Poll period in milliseconds while waiting for the sign "
                                "(default 50); the time-outs shrink with it."),
                 QStringLiteral("ms")});
    p.addOption({kTrace,
                 QStringLiteral("Record every frame, answer, time-out and port event in <file>, "
                                "one line each, passwords masked."),
                 QStringLiteral("file")});
}

std::optional<int> takeLineOptions(const ArgParser& p, SignLine& line) {
    if (!p.isSet(kPort) || p.value(kPort).trimmed().isEmpty())
        return p.usageError(msg::cli::missingOption(kPort));
    line.link.portName = p.value(kPort).trimmed();
    if (p.isSet(kPollMs)) {
        bool ok = false;
        const int ms = QLocale::c().toInt(p.value(kPollMs), &ok);
        if (!ok || ms < 1 || ms > 1000)
            return p.usageError(msg::cli::badPollMs(p.value(kPollMs)));
        line.exchange.timing().pollEvery(ms);
    }
    if (p.isSet(kTrace)) {
        line.trace = std::make_unique<WireTrace>(p.value(kTrace));
        QString reason;
        if (!line.trace->open(&reason))
            return fileFailure(line.seam, msg::saveError, p.value(kTrace), reason);
        line.exchange.setTrace(line.trace.get());
    }
    return std::nullopt;
}

void addPauseOption(ArgParser& p, const QString& help) {
    p.addOption({kPauseMs, help, QStringLiteral("ms")});
}

std::optional<int> takePauseOption(const ArgParser& p, int* pauseMs) {
    if (!p.isSet(kPauseMs))
        return std::nullopt;
    bool ok = false;
    const int ms = QLocale::c().toInt(p.value(kPauseMs), &ok);
    if (!ok || ms < 0 || ms > 60000)
        return p.usageError(msg::cli::badPauseMs(p.value(kPauseMs)));
    *pauseMs = ms;
    return std::nullopt;
}

int runPorts(const QStringList& args) {
    ArgParser p(args, QStringLiteral("Lists the serial ports the sign can be linked on, one per "
                                     "line: the name, a tab and the system's description. "
                                     "Ports named with --port or in LEDSIGN_PORTS (colon-"
                                     "separated) come first."));
    p.addOption({kPort, QStringLiteral("Also list <path> (repeatable)."), QStringLiteral("path")});
    if (auto done = p.parse(0, 0))
        return *done;
    QStringList named;
    for (const QString& v : p.values(kPort))
        named << v;
    for (const SerialPortEntry& port : ListSerialPorts(named)) {
        out() << port.name;
        if (!port.description.isEmpty())
            out() << '\t' << port.description;
        out() << '\n';
    }
    out().flush();
    return kExitOk;
}

int runFirmware(const QStringList& args) {
    ArgParser p(args, QStringLiteral("Links to the sign and shows its firmware identification."));
    addLineOptions(p);
    if (auto done = p.parse(0, 0))
        return *done;
    ParamImage image;
    SignOperations s(p.presets(), image);
    if (auto bad = takeLineOptions(p, s))
        return *bad;
    return s.finish(exitFor(s.ops->checkFirmware()));
}

int runRead(const QStringList& args) {
    const QString kOutput = QStringLiteral("output");
    const QString kBase = QStringLiteral("base");
    ArgParser p(args, QStringLiteral("Reads the parameters from the sign into a table file. "
                                     "A plain pager receiver's data are merged into the default "
                                     "image, or into --base."));
    addLineOptions(p);
    p.addOption({{QStringLiteral("o"), kOutput},
                 QStringLiteral("The table file to write (.tbl)."),
                 QStringLiteral("file")});
    p.addOption({kBase, QStringLiteral("Start from this table file instead of the default image."),
                 QStringLiteral("file")});
    p.addSeamOptions(QStringLiteral("read-password"),
                     QStringLiteral("The sign's read password, if it has one."));
    if (auto done = p.parse(0, 0))
        return *done;
    if (p.value(kOutput).isEmpty())
        return p.usageError(msg::cli::missingOption(kOutput));
    ParamImage image;
    SignOperations s(p.presets(), image);
    if (auto bad = takeLineOptions(p, s))
        return *bad;
    if (p.isSet(kBase) && !takeTable(p.value(kBase), image, s.seam))
        return kExitFailure;

    if (!s.ops->read())
        return s.finish(kExitFailure);
    QString reason;
    if (!tablefile::save(p.value(kOutput), image, &reason))
        return s.finish(fileFailure(s.seam, msg::saveError, p.value(kOutput), reason));
    return s.finish(kExitOk);
}

namespace {

// Write and verify both send a table file, taken as File, Open takes it.
int runWithTable(ArgParser& p, bool asksQuestions,
                 const std::function<bool(PagerOperations&, const ArgParser&)>& operation) {
    addLineOptions(p);
    p.addPositional(QStringLiteral("file"), QStringLiteral("The table file (.tbl)."));
    if (asksQuestions)
        p.addSeamOptions();
    if (auto done = p.parse(1, 1))
        return *done;
    ParamImage image;
    SignOperations s(p.presets(), image);
    if (auto bad = takeLineOptions(p, s))
        return *bad;
    if (!takeTable(p.positional().first(), image, s.seam))
        return kExitFailure;
    return s.finish(exitFor(operation(*s.ops, p)));
}

} // namespace

int runWrite(const QStringList& args) {
    const QString kNoBackup = QStringLiteral("no-backup");
    const QString kSkip = QStringLiteral("skip-unchanged");
    ArgParser p(args, QStringLiteral("Writes a table file into both parameter banks of the sign, "
                                     "reading each back. The sign's settings are backed up "
                                     "first (see 'ledsign backups'); when that fails nothing "
                                     "is written."));
    p.addOption({kNoBackup, QStringLiteral("Do not back up the sign's settings first.")});
    p.addOption({kSkip, QStringLiteral("Read both banks first; when both are valid and already "
                                       "hold the file's settings, write nothing.")});
    return runWithTable(p, true, [&](PagerOperations& ops, const ArgParser& parsed) {
        PagerOperations::WriteChoices choices;
        choices.backUp = !parsed.isSet(kNoBackup);
        choices.skipUnchanged = parsed.isSet(kSkip);
        return ops.write(choices);
    });
}

int runVerify(const QStringList& args) {
    ArgParser p(args, QStringLiteral("Compares the sign's parameters with a table file; on a "
                                     "difference lists the settings that differ (sign -> "
                                     "file)."));
    return runWithTable(p, false,
                        [](PagerOperations& ops, const ArgParser&) { return ops.verify(); });
}

int runDoctor(const QStringList& args) {
    const QString kReads = QStringLiteral("reads");
    const QString kJson = QStringLiteral("json");
    ArgParser p(args, QStringLiteral("Checks, one line each, why a sign may not answer on a "
                                     "port: the device, this user's access, other programs "
                                     "holding it, ModemManager, the link, the firmware, both "
                                     "banks and the line's quality. Reads only; never erases "
                                     "or writes. A failed check says what to do. Exit 0 when "
                                     "every check passed, 1 otherwise."));
    addLineOptions(p);
    p.addOption({kReads,
                 QStringLiteral("How many times bank 0 is read to judge the line (default 3, "
                                "at least 2); bank 1 is read twice."),
                 QStringLiteral("n")});
    p.addOption({kJson, QStringLiteral("Print one JSON object.")});
    if (auto done = p.parse(0, 0))
        return *done;
    SignLine line(p.presets());
    if (auto bad = takeLineOptions(p, line))
        return *bad;
    LineDoctor doctor(line.exchange);
    if (p.isSet(kReads)) {
        bool ok = false;
        const int reads = QLocale::c().toInt(p.value(kReads), &ok);
        if (!ok || reads < LineDoctor::kMinReads || reads > 20)
            return p.usageError(msg::doctor::badReads(p.value(kReads)));
        doctor.setReads(reads);
    }
    const DoctorReport report = doctor.run(line.link.portName);
    if (p.isSet(kJson))
        out() << QString::fromUtf8(report.json());
    else
        out() << report.text();
    out().flush();
    return line.finish(exitFor(report.passed()));
}

} // namespace cli
