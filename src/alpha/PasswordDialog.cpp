#include "alpha/PasswordDialog.h"

#include "core/Messages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TPasswordDlg::TPasswordDlg(std::shared_ptr<QString> entered, QWidget* parent)
    : QDialog(parent), entered_(std::move(entered)) {
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(msg::label::passwordDialogCaption);
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(233, 93);
    Label1 = new QLabel(msg::alpha::enterPassword, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 9, 217, 17);
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*"
    Password->setGeometry(8, 29, 217, 21);
    OKBtn = new QPushButton(msg::alpha::okButton, this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(38, 60, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(msg::alpha::cancelButton, this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(120, 60, 75, 25);
    connect(OKBtn, &QPushButton::clicked, this, &TPasswordDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TPasswordDlg::OKBtnClick() {
    *entered_ = Password->text();
    accept();
}

void TPasswordDlg::showEvent(QShowEvent* event) {
    if (QScreen* s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
    Password->setFocus();
    QDialog::showEvent(event);
}

bool opensAlphaData(const QString& code) {
    return code == QLatin1String("Vren_Ulo");
}
