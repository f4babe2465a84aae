#include "app/production/ProductionEntry.h"

#include "app/MainWindow.h"
#include "app/WindowMemory.h"
#include "app/production/ProductionScreen.h"
#include "app/production/ProductionSetupDialog.h"
#include "core/Messages.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTimer>
#include <cstdio>

namespace {

ProductionScreen* showScreen(WindowMemory& memory, const production::Setup& setup,
                             const production::Checked& checked, const QStringList& extraPorts) {
    // A window of its own, so the main window stays usable beside it.
    auto* screen = new ProductionScreen(memory, setup, checked, extraPorts);
    screen->setAttribute(Qt::WA_DeleteOnClose);
    screen->show();
    return screen;
}

// How long this thread has waited for a CPU while it could run, in ms; -1 where the system
// does not say.
qint64 queuedMs() {
    QFile stat(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = stat.readAll().simplified().split(' ');
    bool ok = false;
    const qint64 ns = fields.value(1).toLongLong(&ok);
    return ok ? ns / 1000000 : -1;
}

// The event loop's waits beyond a beat's 100 ms: the longest, and the longest of its own.
struct LoopWaits {
    qint64 worst = 0, worstAt = 0, worstQueued = 0, worstOwn = 0;
    int late = 0, lateOwn = 0; // over 50 ms
    void add(qint64 wait, qint64 queued, qint64 at) {
        const qint64 own = wait - queued;
        late += wait > 50 ? 1 : 0;
        lateOwn += own > 50 ? 1 : 0;
        if (wait > worst) {
            worst = wait;
            worstAt = at;
            worstQueued = queued;
        }
        worstOwn = qMax(worstOwn, own);
    }
};

// A scripted run: the figures on standard output, and how long the event loop kept a
// 100 ms timer waiting at worst (the screen must stay responsive while signs are written).
// Of each wait, the part this thread only waited for a CPU is the machine's (a loaded one
// runs the stations and others' work on the same cores), the rest the loop's own.
int runAndQuit(ProductionScreen* screen) {
    QTimer beat;
    QElapsedTimer clock;
    QElapsedTimer run;
    LoopWaits waits;
    qint64 queuedBefore = queuedMs();
    beat.setInterval(100);
    QObject::connect(&beat, &QTimer::timeout, screen, [&] {
        const qint64 wait = clock.restart() - 100;
        const qint64 queued = queuedMs();
        const qint64 cpuWait = queued >= 0 && queuedBefore >= 0 ? queued - queuedBefore : 0;
        queuedBefore = queued;
        waits.add(wait, qMin(wait, cpuWait), run.elapsed());
    });
    int code = 1;
    screen->showProblem = [](const QString& text) {
        std::fprintf(stderr, "ledsign-programmer: %s\n", qPrintable(text));
    };
    screen->showSummary = [&code](const production::Tally& t, const QList<batch::LogRecord>&) {
        std::printf("%s\n", qPrintable(msg::batch::summary(t.done, t.failed, t.left)));
        std::fflush(stdout);
        code = t.failed == 0 && t.left == 0 ? 0 : 1;
    };
    QObject::connect(screen, &ProductionScreen::runEnded, screen, [&] {
        beat.stop();
        std::printf("%s\n", qPrintable(msg::production::longestWait(
                                waits.worst, waits.worstAt, waits.worstQueued, waits.late,
                                waits.worstOwn, waits.lateOwn)));
        QTimer::singleShot(0, screen, &QWidget::close);
    });
    // Started as an operator would, on a screen that is up: its first layout and paint (the
    // fonts loaded) are the window's opening, not the run's.
    QApplication::processEvents();
    clock.start();
    run.start();
    beat.start();
    // The Start button's own handling holds the loop too, perhaps within a beat.
    QElapsedTimer click;
    click.start();
    const qint64 queuedAtClick = queuedMs();
    screen->startRun();
    const qint64 took = click.elapsed(), queuedAfter = queuedMs();
    waits.add(took,
              qMin(took, queuedAtClick >= 0 && queuedAfter >= 0 ? queuedAfter - queuedAtClick : 0),
              0);
    if (!screen->running()) {
        screen->close();
        return 1;
    }
    QApplication::exec();
    return code;
}

} // namespace

void addProductionItem(TfrmAir& window, QMenu* pager) {
    QAction* item = pager->addAction(msg::production::menuItem);
    item->setObjectName(QStringLiteral("Production1"));
    QObject::connect(item, &QAction::triggered, &window, [&window] {
        openProduction(window.memory(), production::Setup::remembered(window.memory()),
                       window.extraPorts(), {}, &window);
    });
}

void openProduction(WindowMemory& memory, const production::Setup& setup,
                    const QStringList& extraPorts, const QStringList& errors, QWidget* parent) {
    ProductionSetupDialog dialog(memory, extraPorts, parent);
    dialog.fill(setup);
    dialog.showErrors(errors);
    if (dialog.exec() != QDialog::Accepted)
        return;
    showScreen(memory, dialog.setup(), dialog.checked(), extraPorts);
}

int runProductionFromCommandLine(production::Setup setup, const QStringList& extraPorts,
                                 const ProductionStart& how) {
    WindowMemory memory;
    if (setup.logPath.isEmpty() && !setup.unitsPath.isEmpty())
        setup.logPath = production::defaultLogFor(setup.unitsPath);
    const production::Checked checked = production::check(setup);
    if (checked.errors.isEmpty()) {
        setup.remember(memory);
        ProductionScreen* screen = showScreen(memory, setup, checked, extraPorts);
        if (how.quitAfterRun)
            return runAndQuit(screen);
        if (how.start)
            screen->startRun();
        return QApplication::exec();
    }
    for (const QString& e : checked.errors)
        std::fprintf(stderr, "ledsign-programmer: %s\n", qPrintable(e));
    ProductionSetupDialog dialog(memory, extraPorts);
    dialog.fill(setup);
    dialog.showErrors(checked.errors);
    if (how.quitAfterRun || dialog.exec() != QDialog::Accepted)
        return 2;
    showScreen(memory, dialog.setup(), dialog.checked(), extraPorts);
    return QApplication::exec();
}
