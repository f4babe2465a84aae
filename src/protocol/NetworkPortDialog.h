#pragma once

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QSpinBox;

// "Add network port...": the host, port and kind of a network serial server, making a port
// name ("rfc2217://HOST:PORT" or "socket://HOST:PORT") the Connection dialog lists.
class TfrmNetworkPort : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kDefaultPort = 2000; // ser2net's examples start there

    explicit TfrmNetworkPort(QWidget* parent = nullptr);

    // The port name the fields make; empty while the host is not usable.
    QString portName() const;

    QLineEdit* edtHost;
    QSpinBox* spnPort;
    QComboBox* cboKind;
    QDialogButtonBox* buttons;

  private:
    void updateOk();
};
