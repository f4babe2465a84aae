#pragma once

#include "protocol/Connection.h"
#include "protocol/Link.h"

#include <QDialog>

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
    // modally.
    int showForLink(const QStringList& extraPorts = {});
    void fillPorts(const QList<SerialPortEntry>& ports);
    // The port of the selected list entry.
    QString chosenPort() const;
    ConnectionAttempts& attempts() { return attempts_; }
    // The last "Test" report, once one was shown.
    QDialog* testReport() const { return testReport_; }

    QFrame* Panel1;
    QLabel* Label93;
    QComboBox* cboComPort;
    QPushButton* Button1;
    QPushButton* btnTest;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* BitBtn1;

  public slots:
    void Button1Click();
    void BitBtn1Click();
    // Checks the selected port without writing anything and shows the report.
    void btnTestClick();

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
    QDialog* testReport_ = nullptr;
    QPlainTextEdit* testText_ = nullptr;
};
