// ledsign-programmer: the window in which the sign's parameters are edited, kept in table
// files and sent to the sign.
//
//   ledsign-programmer [--port DEVICE]... [--screenshot FILE.png [--page serial]]
//
// --port names a serial device to offer beside the ones the system lists (a simulated sign
// on a pseudo-terminal, for one).
// --screenshot starts as usual (default.tbl included), draws the main window at its design
// size into FILE.png and exits; --page serial shows the serial output page first.
#include "app/MainWindow.h"
#include "app/SafeApplication.h"
#include "app/Startup.h"

#include <QTextStream>
#include <QTimer>
#include <cstdio>

namespace {

struct Arguments {
    QStringList ports;
    QString screenshot;
    bool serialPage = false;
    bool ok = true;
};

Arguments parse(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == QLatin1String("--port") && hasValue) {
            a.ports << QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--screenshot") && hasValue) {
            a.screenshot = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--page") && hasValue) {
            const QString page = QString::fromLocal8Bit(argv[++i]);
            a.serialPage = page == QLatin1String("serial");
            a.ok = a.ok && (a.serialPage || page == QLatin1String("code"));
        } else if (arg.startsWith(QLatin1String("--"))) {
            a.ok = false;
        }
        // Anything else belongs to the toolkit (-platform offscreen, -style ...).
    }
    return a;
}

int takeScreenshot(TfrmAir& window, const Arguments& args) {
    window.show();
    QCoreApplication::processEvents();
    if (args.serialPage)
        window.stcFeaturesClick();
    QCoreApplication::processEvents();
    if (!window.grab().save(args.screenshot)) {
        std::fprintf(stderr, "ledsign-programmer: cannot write %s\n", qPrintable(args.screenshot));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Arguments args = parse(argc, argv);
    if (!args.ok) {
        std::fprintf(stderr, "usage: ledsign-programmer [--port DEVICE]... "
                             "[--screenshot FILE.png [--page serial]]\n");
        return 2;
    }
    // A picture needs no screen.
    if (!args.screenshot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    SafeApplication app(argc, argv);

    TfrmAir::Options options;
    options.maximise = args.screenshot.isEmpty();
    options.extraPorts = args.ports;
    TfrmAir frmAir(options);
    createStartupWindows(frmAir);

    if (!args.screenshot.isEmpty())
        return takeScreenshot(frmAir, args);
    frmAir.show();
    return app.exec();
}
