#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

// `PasswordDlg` "Password Dialog" in front of "Alpha Data": one edit whose characters show as
// "*", OK and Cancel. The typed text stays in the edit between openings; OK stores it as the
// entered access code.
class TPasswordDlg : public QDialog {
    Q_OBJECT
  public:
    TPasswordDlg(std::shared_ptr<QString> entered, QWidget* parent);

    QString enteredCode() const { return *entered_; }

    QLabel* Label1;
    QLineEdit* Password;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

  public slots:
    void OKBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::shared_ptr<QString> entered_;
};

// The code that opens "Alpha Data", compared exactly.
bool opensAlphaData(const QString& code);
