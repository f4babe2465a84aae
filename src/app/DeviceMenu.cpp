// The device side of the window: the "Pager" menu, "Check Firmware", "Link(F6)" and the
// serial port that closes with the window. One exchange at a time: while one waits for the
// sign, the window goes on drawing and taking events, so everything that could start another
// exchange or change the image is locked until it ends.
#include "app/DeviceSide.h"
#include "app/MainWindow.h"
#include "app/PageTab.h"
#include "app/WindowMemory.h"
#include "core/UserSeam.h"
#include "protocol/ConnectionDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

TfrmAir::~TfrmAir() {
    // The dialog works on the exchange and link state owned here; it goes first.
    delete frmConn_.data();
}

void TfrmAir::buildExchangeLock() {
    // Items that start an exchange, load or replace the image, or open a side tool.
    for (const char* name : {"Open1", "Save1", "SaveAs1", "OpenBackup1", "Open2", "Read1", "Write1",
                             "Verify1", "CompareWithSign1", "CheckFirmware1", "Admin1",
                             "LEDSignCommand1", "Link1", "Production1"})
        exchangeLock_.add(action(QString::fromLatin1(name)));
    exchangeLock_.add(findChild<QShortcut*>(QStringLiteral("Link1Shortcut")));
    // The editing surface: both pages with everything on them, their tabs, and the controls
    // beside them.
    for (QWidget* w : std::initializer_list<QWidget*>{grpNormal, GroupBox1, stcCode, stcFeatures,
                                                      btnLink0E, CheckBox7})
        exchangeLock_.add(w);
    exchangeLock_.setFocusSink(edtNull);
}

TfrmConn* TfrmAir::createConnectionDialog() {
    if (!frmConn_)
        frmConn_ = new TfrmConn(device_->exchange(), device_->link(), *this, this);
    return frmConn_;
}

TfrmConn* TfrmAir::frmConn() const {
    return frmConn_;
}

bool TfrmAir::exchangeRunning() const {
    return exchangeLock_.engaged() || device_->exchange().busy();
}

void TfrmAir::runExchange(const std::function<void()>& exchange) {
    if (exchangeRunning())
        return;
    {
        ExchangeLock::Scope locked(exchangeLock_);
        guard(exchange);
    }
    if (closeAsked_) {
        closeAsked_ = false;
        close();
    }
}

void TfrmAir::Read1Click() {
    if (exchangeRunning() || !keepOrDropEdits())
        return;
    runExchange([this] {
        if (device_->operations().read())
            markKept();
    });
}

void TfrmAir::Write1Click() {
    PagerOperations::WriteChoices choices;
    choices.backUp = backUpBeforeWrite();
    // What was written is on the sign: it counts as kept.
    runExchange([this, choices] {
        if (device_->operations().write(choices))
            markKept();
    });
}

void TfrmAir::Verify1Click() {
    runExchange([this] { device_->operations().verify(); });
}

void TfrmAir::CheckFirmware1Click() {
    runExchange([this] { device_->operations().checkFirmware(); });
}

void TfrmAir::btnLink0EClick() {
    // The dialog is one of the windows made at start-up; before that there is nothing to show.
    if (!frmConn_)
        return;
    runExchange([this] {
        // Network serial servers added once are listed beside the local ports from then on.
        frmConn_->networkPortAdded = [this](const QString& name) { memory().addNetworkPort(name); };
        if (frmConn_->showForLink(extraPorts_ + memory().networkPorts(), memory().lastPort()) ==
            QDialog::Accepted)
            memory().setLastPort(frmConn_->chosenPort());
    });
}

void TfrmAir::FormClose() {
    device_->closePort();
}
