#include "app/production/ProductionEntry.h"

#include "app/MainWindow.h"
#include "app/WindowMemory.h"
#include "app/production/ProductionScreen.h"
#include "app/production/ProductionSetupDialog.h"
#include "core/Messages.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
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

// A scripted run: the figures on standard output, and how long the event loop kept a
// 100 ms timer waiting at worst (the screen must stay responsive while signs are written).
int runAndQuit(ProductionScreen* screen) {
    QTimer beat;
    QElapsedTimer clock;
    QElapsedTimer run;
    qint64 worst = 0, worstAt = 0;
    int late = 0; // beats more than 50 ms late
    beat.setInterval(100);
    QObject::connect(&beat, &QTimer::timeout, screen, [&] {
        const qint64 wait = clock.restart() - 100;
        late += wait > 50 ? 1 : 0;
        if (wait > worst) {
            worst = wait;
            worstAt = run.elapsed();
        }
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
        std::printf("%s\n", qPrintable(msg::production::longestWait(worst, worstAt, late)));
        QTimer::singleShot(0, screen, &QWidget::close);
    });
    clock.start();
    run.start();
    beat.start();
    screen->startRun();
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
