#include "WindowFixture.h"

TfrmAir& WindowFixture::create() {
    TfrmAir::Options o;
    o.startDirectory = dir.path();
    o.seam = &seam;
    o.maximise = false;
    o.settingsFile =
        settingsFile.isEmpty() ? config.filePath(QStringLiteral("ledsign.conf")) : settingsFile;
    window = std::make_unique<TfrmAir>(o);
    window->askOpenFileName = [this](const QString&) { return next(openAnswers); };
    window->askSaveFileName = [this](const QString&) { return next(saveAnswers); };
    return *window;
}

TfrmAir& WindowFixture::start() {
    create();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("window not exposed");
    return *window;
}
