#include "protocol/NetworkPortDialog.h"

#include "core/Messages.h"
#include "serial/NetworkPort.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

TfrmNetworkPort::TfrmNetworkPort(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNetworkPort"));
    setWindowTitle(msg::network::addCaption);
    setModal(true);
    edtHost = new QLineEdit(this);
    edtHost->setObjectName(QStringLiteral("edtHost"));
    edtHost->setPlaceholderText(msg::network::noHost);
    spnPort = new QSpinBox(this);
    spnPort->setObjectName(QStringLiteral("spnPort"));
    spnPort->setRange(1, 0xFFFF);
    spnPort->setValue(kDefaultPort);
    cboKind = new QComboBox(this);
    cboKind->setObjectName(QStringLiteral("cboKind"));
    cboKind->addItem(msg::network::kindRfc2217, int(NetworkPort::Kind::Rfc2217));
    cboKind->addItem(msg::network::kindRaw, int(NetworkPort::Kind::Raw));
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* form = new QFormLayout(this);
    form->addRow(msg::network::hostLabel, edtHost);
    form->addRow(msg::network::portLabel, spnPort);
    form->addRow(msg::network::kindLabel, cboKind);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edtHost, &QLineEdit::textChanged, this, &TfrmNetworkPort::updateOk);
    updateOk();
}

QString TfrmNetworkPort::portName() const {
    const auto kind = NetworkPort::Kind(cboKind->currentData().toInt());
    const QString name = NetworkPort::make(kind, edtHost->text(), quint16(spnPort->value())).name();
    // Whatever the fields hold, only a name that opens is offered.
    const auto parsed = NetworkPort::parse(name);
    return parsed ? parsed->name() : QString();
}

void TfrmNetworkPort::updateOk() {
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!portName().isEmpty());
}
