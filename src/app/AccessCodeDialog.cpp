#include "app/AccessCodeDialog.h"

#include "core/Messages.h"
#include "core/UserSeam.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int kClientWidth = 233;
constexpr int kClientHeight = 93;
} // namespace

bool accessCodeOpens(AccessDoor door, const QString& code) {
    switch (door) {
    case AccessDoor::Admin:
        return code == QLatin1String("Vren_Ulo");
    case AccessDoor::LedSignCommand:
        return code == QLatin1String("KT905") || code == QLatin1String("kt905");
    }
    return false;
}

AccessCodeDialog::AccessCodeDialog(std::shared_ptr<EnteredAccessCode> entered, QWidget* parent)
    : QDialog(parent), entered_(std::move(entered)) {
    setWindowTitle(msg::label::passwordDialogCaption);
    setModal(true);
    // A fixed dialog border: no resizing, no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);

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
    connect(OKBtn, &QPushButton::clicked, this, &AccessCodeDialog::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    hide();
}

void AccessCodeDialog::OKBtnClick() {
    entered_->text = Password->text();
    accept();
}

void AccessCodeDialog::showEvent(QShowEvent* event) {
    // Centred on the screen, not on the window.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    Password->setFocus();
    QDialog::showEvent(event);
}

TPasswordDlg::TPasswordDlg(std::shared_ptr<EnteredAccessCode> entered, QWidget* parent)
    : AccessCodeDialog(std::move(entered), parent) {
    setObjectName(QStringLiteral("PasswordDlg"));
}

TPasswordDlg1::TPasswordDlg1(std::shared_ptr<EnteredAccessCode> entered, QWidget* parent)
    : AccessCodeDialog(std::move(entered), parent) {
    setObjectName(QStringLiteral("PasswordDlg1"));
}

bool openBehindAccessCode(UserSeam& seam, AccessCodeDialog& ask, AccessDoor door, QDialog& tool) {
    if (ask.exec() != QDialog::Accepted)
        return false;
    if (!accessCodeOpens(door, ask.enteredCode())) {
        seam.message(msg::passwordError);
        return false;
    }
    tool.exec();
    return true;
}
