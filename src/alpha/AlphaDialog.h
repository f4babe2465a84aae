#pragma once

#include "alpha/AlphaMessage.h"
#include "alpha/DirectSend.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The modal "Alpha Data" dialog `frmSpager`: one alpha message, composed and sent straight
// to the sign on the port chosen in the Connection dialog. Made once, when first opened; it keeps
// what was typed for the whole run.
class TfrmSpager : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kWidth = 702;
    static constexpr int kHeight = 397;

    TfrmSpager(Exchange& exchange, LinkState& link, QWidget* parent = nullptr);

    // The message as the dialog holds it now.
    alpha::Message message() const;
    alpha::DirectSend& sender() { return send_; }
    bool sending() const { return sending_; }
    // Runs the send; the window puts its exchange lock around it. Runs it as it is when empty.
    std::function<void(const std::function<void()>&)> runExchange;

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLineEdit* edtID;
    QLabel* Label3;
    QComboBox* cboBatt;
    QLabel* Label12;
    QLabel* Label4;
    QLineEdit* edtDate;
    QLabel* Label2;
    QComboBox* cboForm;
    QComboBox* cboLang;
    QPushButton* Button6;
    QPlainTextEdit* mem1;

  public slots:
    void cboFormClick();
    void Button6Click();

  public:
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void build();

    alpha::DirectSend send_;
    bool sending_ = false;
};
