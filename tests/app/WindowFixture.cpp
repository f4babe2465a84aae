#include "WindowFixture.h"

#include "SimulatedSign.h"
#include "app/DeviceSide.h"
#include "app/Startup.h"

std::unique_ptr<TfrmAir> startDeviceWindow(const QString& folder, UserSeam& seam,
                                           const QStringList& ports, const QString& settingsFile) {
    TfrmAir::Options o;
    o.startDirectory = folder;
    o.seam = &seam;
    o.maximise = false;
    o.extraPorts = ports;
    o.settingsFile = settingsFile;
    auto window = std::make_unique<TfrmAir>(o);
    createStartupWindows(*window);
    useTestTiming(window->device().exchange());
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("window not exposed");
    return window;
}

TfrmAir& WindowFixture::create() {
    TfrmAir::Options o;
    o.startDirectory = dir.path();
    o.seam = &seam;
    o.maximise = false;
    o.settingsFile =
        settingsFile.isEmpty() ? config.filePath(QStringLiteral("ledsign.conf")) : settingsFile;
    window = std::make_unique<TfrmAir>(o);
    window->files().askOpenFileName = [this](const QString&) { return next(openAnswers); };
    window->files().askSaveFileName = [this](const QString&) { return next(saveAnswers); };
    return *window;
}

TfrmAir& WindowFixture::start() {
    create();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("window not exposed");
    return *window;
}
