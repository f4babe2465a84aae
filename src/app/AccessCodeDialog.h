#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class UserSeam;

// The side tools behind an access code, and the codes that open them (compared exactly).
enum class AccessDoor {
    Admin,          // System > "Admin": "Alpha Data"
    LedSignCommand, // System > "LED Sign Command"
};
bool accessCodeOpens(AccessDoor door, const QString& code);

// The code last confirmed with OK in either access-code dialog; empty at start.
struct EnteredAccessCode {
    QString text;
};

// "Password Dialog": one edit whose characters show as "*", OK and Cancel. The typed text stays
// in the edit between openings; OK stores it as the entered access code both dialogs share.
class AccessCodeDialog : public QDialog {
    Q_OBJECT
  public:
    AccessCodeDialog(std::shared_ptr<EnteredAccessCode> entered, QWidget* parent);

    QString enteredCode() const { return entered_->text; }

    QLabel* Label1;
    QLineEdit* Password;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

  public slots:
    void OKBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::shared_ptr<EnteredAccessCode> entered_;
};

// `PasswordDlg`, in front of "Alpha Data".
class TPasswordDlg : public AccessCodeDialog {
    Q_OBJECT
  public:
    TPasswordDlg(std::shared_ptr<EnteredAccessCode> entered, QWidget* parent);
};

// `PasswordDlg1`, in front of "LED Sign Command".
class TPasswordDlg1 : public AccessCodeDialog {
    Q_OBJECT
  public:
    TPasswordDlg1(std::shared_ptr<EnteredAccessCode> entered, QWidget* parent);
};

// Asks for the code and opens the tool modally when it is one of the door's. A cancelled
// dialog shows nothing; a wrong code shows "Password Error!" and opens nothing. True when the
// tool was opened.
bool openBehindAccessCode(UserSeam& seam, AccessCodeDialog& ask, AccessDoor door, QDialog& tool);
