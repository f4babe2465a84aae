#pragma once

#include "protocol/Connection.h"
#include "protocol/Link.h"

#include <QDialog>
#include <QTimer>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The modal "Connection" dialog: the user picks the port the sign hangs on and presses "OK";
// the dialog then asks for a reboot of the sign while it tries to link.
class TfrmConn : public QDialog {
    Q_OBJECT
  public:
    TfrmConn(Exchange& exchange, LinkState& link, OperationHost& host, QWidget* parent = nullptr);

    // What "Link(F6)" does: lists the ports (extraPorts named first) and shows the dialog
    // modally. The preferred port is selected when it is present.
    int showForLink(const QStringList& extraPorts = {}, const QString& preferred = QString());
    // Fills the list; the selected port stays selected when it is still there, else the
    // preferred one, else the first.
    void fillPorts(const QList<SerialPortEntry>& ports, const QString& preferred = QString());
    // Where the ports come from while the dialog is open; tests replace it.
    std::function<QList<SerialPortEntry>(const QStringList& extraPorts)> listPorts;
    // Lists the ports again; run every second while the dialog shows, so adapters plugged
    // in or out appear and go.
    void refreshPorts();
    static constexpr int kPortPollMs = 1000;
    // The port of the selected list entry.
    QString chosenPort() const;
    // True when the last "OK" linked to the sign (only then is the port worth remembering).
    bool connected() const { return outcome_ == ConnectionAttempts::Outcome::Connected; }
    ConnectionAttempts& attempts() { return attempts_; }
    // "Add network port...": asks for the server (tests replace it); empty when cancelled.
    std::function<QString()> askNetworkPort;
    // Told of every network port added, so the window remembers it for the next run.
    std::function<void(const QString&)> networkPortAdded;
    // Lists a network port beside the local ones and selects it.
    void addNetworkPort(const QString& name);
    // The last "Test" report, once one was shown.
    QDialog* testReport() const { return testReport_; }

    QFrame* Panel1;
    QLabel* Label93;
    QComboBox* cboComPort;
    QPushButton* Button1;
    QPushButton* btnTest;
    QPushButton* btnAddNetwork;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* BitBtn1;

  public slots:
    void Button1Click();
    void BitBtn1Click();
    // Checks the selected port without writing anything and shows the report.
    void btnTestClick();
    void btnAddNetworkClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  public:
    void done(int result) override;
    void reject() override;

  private:
    void FormShow();
    void FormClose();
    void waitRepainting(int ms);

    void showTestReport(const QString& text);

    Exchange& ex_;
    ConnectionAttempts attempts_;
    ConnectionAttempts::Outcome outcome_ = ConnectionAttempts::Outcome::Cancelled;
    QDialog* testReport_ = nullptr;
    QPlainTextEdit* testText_ = nullptr;
    QStringList extraPorts_;
    QTimer portPoll_;
};
