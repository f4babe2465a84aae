#include "protocol/ConnectionDialog.h"

#include "core/FixedFont.h"
#include "core/Messages.h"
#include "protocol/LineDoctor.h"
#include "protocol/NetworkPortDialog.h"
#include "serial/NetworkPort.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {

QString entryText(const SerialPortEntry& port) {
    return port.description.isEmpty() ? port.name
                                      : port.name + QStringLiteral(" - ") + port.description;
}

} // namespace

TfrmConn::TfrmConn(Exchange& exchange, LinkState& link, OperationHost& host, QWidget* parent)
    : QDialog(parent), ex_(exchange), attempts_(exchange, link, host) {
    setObjectName(QStringLiteral("frmConn"));
    setWindowTitle(msg::connectionCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Label93 = new QLabel(msg::selectPort, Panel1);
    Label93->setObjectName(QStringLiteral("Label93"));
    cboComPort = new QComboBox(Panel1);
    cboComPort->setObjectName(QStringLiteral("cboComPort"));
    cboComPort->setMinimumContentsLength(24);
    Button1 = new QPushButton(msg::connectButton, Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    btnTest = new QPushButton(msg::doctor::testButton, Panel1);
    btnTest->setObjectName(QStringLiteral("btnTest"));
    btnTest->setAutoDefault(false);
    btnAddNetwork = new QPushButton(msg::network::addButton, Panel1);
    btnAddNetwork->setObjectName(QStringLiteral("btnAddNetwork"));
    btnAddNetwork->setAutoDefault(false);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addWidget(Label93);
    panelLayout->addWidget(cboComPort);
    panelLayout->addWidget(btnAddNetwork);
    panelLayout->addWidget(Button1);
    panelLayout->addWidget(btnTest);

    Label1 = new QLabel(msg::connectingInitial, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(msg::rebootSign, this);
    Label2->setObjectName(QStringLiteral("Label2"));
    BitBtn1 = new QPushButton(msg::connectCancelButton, this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    Label1->hide();
    Label2->hide();
    BitBtn1->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(BitBtn1);

    connect(Button1, &QPushButton::clicked, this, &TfrmConn::Button1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmConn::BitBtn1Click);
    connect(btnTest, &QPushButton::clicked, this, &TfrmConn::btnTestClick);
    connect(btnAddNetwork, &QPushButton::clicked, this, &TfrmConn::btnAddNetworkClick);
    askNetworkPort = [this] {
        TfrmNetworkPort ask(this);
        return ask.exec() == QDialog::Accepted ? ask.portName() : QString();
    };
    attempts_.setBlockingWait([this](int ms) { waitRepainting(ms); });

    listPorts = [](const QStringList& extra) { return ListSerialPorts(extra); };
    portPoll_.setInterval(kPortPollMs);
    connect(&portPoll_, &QTimer::timeout, this, &TfrmConn::refreshPorts);
}

void TfrmConn::fillPorts(const QList<SerialPortEntry>& ports, const QString& preferred) {
    const QVariant selected = cboComPort->currentData();
    cboComPort->clear();
    for (const auto& port : ports)
        cboComPort->addItem(entryText(port), port.name);
    int index = selected.isValid() ? cboComPort->findData(selected) : -1;
    if (index < 0 && !preferred.isEmpty())
        index = cboComPort->findData(preferred);
    cboComPort->setCurrentIndex(index >= 0 ? index : (ports.isEmpty() ? -1 : 0));
}

int TfrmConn::showForLink(const QStringList& extraPorts, const QString& preferred) {
    extraPorts_ = extraPorts;
    cboComPort->clear();
    fillPorts(listPorts(extraPorts_), preferred);
    portPoll_.start();
    const int result = exec();
    portPoll_.stop();
    return result;
}

void TfrmConn::refreshPorts() {
    // Once OK is pressed the choice is made; an open list is not changed under the mouse.
    if (attempts_.running() || !Panel1->isVisible() || cboComPort->view()->isVisible())
        return;
    const QList<SerialPortEntry> ports = listPorts(extraPorts_);
    QStringList now;
    for (const auto& port : ports)
        now << entryText(port);
    QStringList shown;
    for (int i = 0; i < cboComPort->count(); ++i)
        shown << cboComPort->itemText(i);
    if (now != shown)
        fillPorts(ports);
}

void TfrmConn::btnAddNetworkClick() {
    if (attempts_.running())
        return;
    const QString name = askNetworkPort ? askNetworkPort() : QString();
    if (!name.isEmpty())
        addNetworkPort(name);
}

void TfrmConn::addNetworkPort(const QString& name) {
    const QString canonical = NetworkPort::canonical(name);
    bool known = false;
    for (const QString& p : extraPorts_)
        known = known || NetworkPort::canonical(p) == canonical;
    if (!known)
        extraPorts_ << canonical;
    cboComPort->setCurrentIndex(-1); // the new port is chosen, not the one chosen before
    fillPorts(listPorts(extraPorts_), canonical);
    if (networkPortAdded)
        networkPortAdded(canonical);
}

QString TfrmConn::chosenPort() const {
    const QVariant name = cboComPort->currentData();
    return name.isValid() ? name.toString() : cboComPort->currentText();
}

void TfrmConn::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmConn::FormShow() {
    outcome_ = ConnectionAttempts::Outcome::Cancelled;
    attempts_.prepare();
}

void TfrmConn::Button1Click() {
    if (attempts_.running())
        return;
    BitBtn1->show();
    Panel1->hide();
    Label1->show();
    Label2->show();
    outcome_ =
        attempts_.connect(chosenPort(), [this](const QString& text) { Label1->setText(text); });
    done(QDialog::Accepted);
}

void TfrmConn::btnTestClick() {
    if (attempts_.running() || ex_.busy())
        return;
    const QString port = chosenPort();
    // The checks take seconds: the report shows each one as it is decided.
    showTestReport(msg::window::testRunning(port));
    DoctorReport report;
    {
        Exchange::Hold hold(ex_);
        Panel1->setEnabled(false);
        LineDoctor doctor(ex_);
        doctor.setBreathe(
            [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
        doctor.setOnCheck([this](const DoctorCheck& c) {
            const QString verdict = c.verdict == Verdict::Passed   ? msg::doctor::verdictPassed
                                    : c.verdict == Verdict::Failed ? msg::doctor::verdictFailed
                                                                   : msg::doctor::verdictNotJudged;
            testText_->appendPlainText(msg::doctor::line(verdict, c.name, c.text, c.fix));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        report = doctor.run(port);
        Panel1->setEnabled(true);
    }
    qsizetype failed = 0;
    for (const DoctorCheck& c : report.checks)
        failed += c.passed() ? 0 : 1;
    showTestReport(msg::window::testSummary(int(failed), int(report.checks.size())) +
                   QStringLiteral("\n\n") + report.text());
}

void TfrmConn::showTestReport(const QString& text) {
    if (!testReport_) {
        testReport_ = new QDialog(this);
        testReport_->setObjectName(QStringLiteral("frmTestReport"));
        testReport_->setWindowTitle(msg::doctor::reportCaption);
        testText_ = new QPlainTextEdit(testReport_);
        testText_->setObjectName(QStringLiteral("memTestReport"));
        testText_->setReadOnly(true);
        // The advice of a failed check is the line's longest part: it wraps, never hides.
        testText_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        testText_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        testText_->setFont(fixedPitchFont());
        testText_->setMinimumSize(640, 240);
        auto* buttons = new QDialogButtonBox(testReport_);
        buttons->addButton(msg::doctor::closeButton, QDialogButtonBox::RejectRole);
        connect(buttons, &QDialogButtonBox::rejected, testReport_, &QDialog::reject);
        auto* layout = new QVBoxLayout(testReport_);
        layout->addWidget(testText_);
        layout->addWidget(buttons);
    }
    testText_->setPlainText(text);
    if (!testReport_->isVisible())
        testReport_->open();
}

void TfrmConn::BitBtn1Click() {
    attempts_.cancel();
}

// Escape and the window manager's close ask the attempts to stop, like the cancel button;
// the dialog closes when the attempt under way has ended.
void TfrmConn::reject() {
    if (attempts_.running()) {
        attempts_.cancel();
        return;
    }
    QDialog::reject();
}

void TfrmConn::closeEvent(QCloseEvent* event) {
    if (attempts_.running()) {
        attempts_.cancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmConn::done(int result) {
    QDialog::done(result);
    FormClose();
}

void TfrmConn::FormClose() {
    BitBtn1->hide();
    Panel1->show();
    Label1->hide();
    Label2->hide();
    attempts_.finish();
}

void TfrmConn::waitRepainting(int ms) {
    // Repaints go on; clicks and keys wait until the clock frame is out.
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(quint64(qBound(qint64(0), deadline.remainingTime(), qint64(20))));
    }
}
