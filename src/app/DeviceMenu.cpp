// The device side of the window: the "Pager" menu, "Check Firmware", "Link(F6)" and the
// serial port that closes with the window. One exchange at a time: while one waits for the
// sign, the window goes on drawing and taking events, so everything that could start another
// exchange or change the image is locked until it ends.
#include "app/CompareDialog.h"
#include "app/DeviceSide.h"
#include "app/FileController.h"
#include "app/LinkedPortField.h"
#include "app/MainWindow.h"
#include "app/PageTab.h"
#include "app/WindowMemory.h"
#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/ConnectionDialog.h"
#include "settings/Differences.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

void TfrmAir::buildExchangeLock() {
    // Items that start an exchange, load or replace the image, or open a side tool.
    for (const char* name : {"Open1", "Save1", "SaveAs1", "OpenBackup1", "Open2", "Read1", "Write1",
                             "Verify1", "CompareWithSign1", "CheckFirmware1", "Admin1",
                             "LEDSignCommand1", "Link1", "Production1"})
        device_->lock().add(action(QString::fromLatin1(name)));
    device_->lock().add(findChild<QShortcut*>(QStringLiteral("Link1Shortcut")));
    // The editing surface: both pages with everything on them, their tabs, and the controls
    // beside them.
    for (QWidget* w : std::initializer_list<QWidget*>{capcodePage_, serialPage_, capcodeTab_,
                                                      featuresTab_, linkButton_, testModeBox_})
        device_->lock().add(w);
    device_->lock().setFocusSink(focusSink_);
}

TfrmConn* TfrmAir::createConnectionDialog() {
    return device_->connectionDialog(this);
}

TfrmConn* TfrmAir::frmConn() const {
    return device_->connectionDialog();
}

bool TfrmAir::exchangeRunning() const {
    return device_->running();
}

void TfrmAir::runExchange(const std::function<void()>& exchange) {
    device_->run(exchange);
}

void TfrmAir::Read1Click() {
    if (exchangeRunning() || !keepOrDropEdits())
        return;
    runExchange([this] {
        // The file named in the caption still holds what it held: the mark shows that Save
        // would change it.
        if (device_->operations().read())
            files_->settingsCameFrom(
                msg::window::readFrom(shownPortName(device_->link().portName)));
    });
}

void TfrmAir::Write1Click() {
    PagerOperations::WriteChoices choices;
    choices.backUp = backUpBeforeWrite();
    // What was written is on the sign, not in the named file: the mark stays as it was.
    runExchange([this, choices] { device_->operations().write(choices); });
}

QStringList TfrmAir::showVerifyDifferences(const QByteArray& sign, const QByteArray& window) {
    // After the "Verify Error! Htag = N" box: the settings that differ, in columns.
    ParamImage signImage, windowImage;
    signImage.assign(sign);
    windowImage.assign(window);
    const settings::Differences d = settings::compareImages(signImage, windowImage);
    if (d.settings.isEmpty())
        return settings::differenceLines(sign, window); // bytes no setting shows
    CompareDialog dialog(d, msg::window::verifyCaption, msg::window::verifyFile, this);
    dialog.setObjectName(QStringLiteral("VerifyDialog1"));
    dialog.exec();
    return {};
}

void TfrmAir::Verify1Click() {
    runExchange([this] { device_->operations().verify(); });
}

void TfrmAir::CheckFirmware1Click() {
    runExchange([this] { device_->operations().checkFirmware(); });
}

void TfrmAir::btnLink0EClick() {
    // The dialog is one of the windows made at start-up; before that there is nothing to show.
    TfrmConn* dialog = device_->connectionDialog();
    if (!dialog)
        return;
    runExchange([this, dialog] {
        // Network serial servers added once are listed beside the local ports from then on.
        dialog->networkPortAdded = [this](const QString& name) { memory().addNetworkPort(name); };
        // A port that never answered is no choice worth offering first next time.
        if (dialog->showForLink(extraPorts_ + memory().networkPorts(), memory().lastPort()) ==
                QDialog::Accepted &&
            dialog->connected())
            memory().setLastPort(dialog->chosenPort());
    });
}

void TfrmAir::lineLinked(const QString& port) {
    linkedPort_->linked(port);
}
void TfrmAir::firmwareIdentified(const QString& idText) {
    linkedPort_->firmwareIdentified(idText);
}
void TfrmAir::lineLost() {
    linkedPort_->lost();
}

void TfrmAir::FormClose() {
    device_->closePort();
}
