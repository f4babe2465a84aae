// ledsign-programmer: the window in which the sign's parameters are edited, kept in table
// files and sent to the sign.
//
//   ledsign-programmer [--port DEVICE]... [--screenshot FILE.png [--page serial]] [FILE.tbl]
//   ledsign-programmer --production TEMPLATE.tbl UNITS.csv --port DEVICE... [--log FILE]
//   ledsign-programmer --help | --version
//
// --port names a serial device to offer beside the ones the system lists (a simulated sign
// on a pseudo-terminal, for one).
// --production opens the production screen alone, each --port a station.
// --screenshot starts as usual (default.tbl included), draws the main window at its design
// size into FILE.png and exits; --page serial shows the serial output page first.
// FILE.tbl is opened after start-up as File > Open opens it (the menu entry passes the file
// the desktop was asked to open).
#include "app/MainWindow.h"
#include "app/SafeApplication.h"
#include "app/Startup.h"
#include "app/production/ProductionEntry.h"

#include <QBackingStore>
#include <QImage>
#include <QTextStream>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace {

struct Arguments {
    QStringList ports;
    QStringList files;
    QString screenshot;
    bool production = false;
    ProductionStart productionStart;
    QString templatePath, unitsPath, logPath;
    bool serialPage = false;
    bool help = false;
    bool version = false;
    bool ok = true;
};

// Printed before the toolkit starts, so it needs no screen (the manual page is made from it).
void printHelp() {
    std::printf(
        "Usage: ledsign-programmer [options] [file.tbl]\n\n"
        "The window in which the parameters of a Marovelkin LED sign are edited, kept in table\n"
        "files (.tbl) and read from, written to and verified against the sign on a serial\n"
        "port. default.tbl in the start directory is loaded at start-up when it exists;\n"
        "a table file named on the command line is opened after it, as File > Open does.\n\n"
        "Options:\n"
        "  --port <device>        Offer this serial device beside the ones the system lists\n"
        "                         (a simulated sign on a pseudo-terminal, for one). Repeat\n"
        "                         for several. The variable LEDSIGN_PORTS (colon-separated)\n"
        "                         adds ports in the same way.\n"
        "  --screenshot <file>    Start as usual, draw the main window at its design size\n"
        "                         into the PNG file and exit.\n"
        "  --page <serial|code>   With --screenshot: the page to show first.\n"
        "  --production <template.tbl> <units.csv>\n"
        "                         Open the production screen alone: every --port is a\n"
        "                         station writing the template with each unit's row of the\n"
        "                         CSV file, as 'ledsign batch' does, and with its log.\n"
        "  --log <file>           With --production: the log (default: the units file's\n"
        "                         name with .jsonl, beside it); a log of an earlier run\n"
        "                         resumes it.\n"
        "  -h, --help             Show this help.\n"
        "  -v, --version          Show the version.\n\n"
        "Options of the Qt toolkit (-platform, -style, ...) are passed on to it.\n");
}

Arguments parse(const QStringList& args) {
    Arguments a;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--port") && hasValue) {
            a.ports << args[++i];
        } else if (arg == QLatin1String("--screenshot") && hasValue) {
            a.screenshot = args[++i];
        } else if (arg == QLatin1String("--production") && i + 2 < args.size()) {
            a.production = true;
            a.templatePath = args[++i];
            a.unitsPath = args[++i];
        } else if (arg == QLatin1String("--start")) {
            a.productionStart.start = true;
        } else if (arg == QLatin1String("--quit-after-run")) {
            a.productionStart.quitAfterRun = true;
        } else if (arg == QLatin1String("--log") && hasValue) {
            a.logPath = args[++i];
        } else if (arg == QLatin1String("--page") && hasValue) {
            const QString page = args[++i];
            a.serialPage = page == QLatin1String("serial");
            a.ok = a.ok && (a.serialPage || page == QLatin1String("code"));
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            a.help = true;
        } else if (arg == QLatin1String("--version") || arg == QLatin1String("-v")) {
            a.version = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            a.ok = false;
        } else if (!arg.startsWith(QLatin1Char('-'))) {
            // Before the toolkit took its own options, a value of one of them lands here too;
            // the files are taken from the arguments the toolkit left.
            a.files << arg;
        }
        // Anything else belongs to the toolkit (-platform offscreen, -style ...).
    }
    return a;
}

QStringList localArguments(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

// The window as it was drawn on the screen: once it is exposed and nothing waits to be
// drawn, its backing store holds that picture, and taking it from there spares drawing the
// whole window a second time (and a second picture's memory). Otherwise it is drawn anew.
QImage drawnWindow(QWidget& window) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    const QWindow* handle = window.windowHandle();
    QBackingStore* store = window.backingStore();
    if (handle && handle->isExposed() && store && store->paintDevice() &&
        store->paintDevice()->devType() == QInternal::Image) {
        const QImage& drawn = *static_cast<const QImage*>(store->paintDevice());
        if (drawn.size() == window.size() && drawn.devicePixelRatio() == 1.0)
            return drawn;
    }
    return window.grab().toImage();
}

int takeScreenshot(TfrmAir& window, const Arguments& args) {
    window.show();
    QCoreApplication::processEvents();
    if (args.serialPage)
        window.stcFeaturesClick();
    QCoreApplication::processEvents();
    // The format follows the file's suffix. For PNG, zlib's fastest level: the picture is the
    // same, its file a few per cent larger, and encoding costs a third less.
    constexpr int kFastPng = 80;
    if (!drawnWindow(window).save(args.screenshot, nullptr, kFastPng)) {
        std::fprintf(stderr, "ledsign-programmer: cannot write %s\n", qPrintable(args.screenshot));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Arguments args = parse(localArguments(argc, argv));
    if (args.ok && args.help) {
        printHelp();
        return 0;
    }
    if (args.ok && args.version) {
        std::printf("ledsign-programmer %s\n", LEDSIGN_VERSION);
        return 0;
    }
    const bool productionOnly =
        !args.logPath.isEmpty() || args.productionStart.start || args.productionStart.quitAfterRun;
    if (!args.ok || (productionOnly && !args.production)) {
        std::fprintf(stderr, "usage: ledsign-programmer [--port DEVICE]... "
                             "[--screenshot FILE.png [--page serial]] [FILE.tbl]\n"
                             "       ledsign-programmer --production TEMPLATE.tbl UNITS.csv "
                             "--port DEVICE... [--log FILE]\n"
                             "Try 'ledsign-programmer --help'.\n");
        return 2;
    }
    // A picture needs no screen.
    if (!args.screenshot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    SafeApplication app(argc, argv);
    args.files = parse(QCoreApplication::arguments()).files;
    if (args.production)
        return runProductionFromCommandLine(
            {args.templatePath, args.unitsPath, args.ports, args.logPath}, args.ports,
            args.productionStart);
    if (args.files.size() > 1) {
        std::fprintf(stderr, "ledsign-programmer: one table file at a time\n");
        return 2;
    }

    TfrmAir::Options options;
    options.maximise = args.screenshot.isEmpty();
    options.extraPorts = args.ports;
    TfrmAir frmAir(options);
    createStartupWindows(frmAir);

    if (!args.screenshot.isEmpty())
        return takeScreenshot(frmAir, args);
    frmAir.show();
    if (!args.files.isEmpty())
        openFromCommandLine(frmAir, args.files.first());
    return app.exec();
}
