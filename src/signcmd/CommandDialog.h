#pragma once

#include "signcmd/CommandFile.h"

#include <QDialog>
#include <array>
#include <functional>

class Exchange;
class QGroupBox;
class QLabel;
class QPushButton;
struct LinkState;

// The modal "LED Sign Command" dialog `frmCommand`: the 34 display-controller commands, their
// command files and Send. Made once, when first opened; it keeps its values for the whole run.
class TfrmCommand : public QDialog {
    Q_OBJECT
  public:
    TfrmCommand(Exchange& exchange, LinkState& link, QWidget* parent = nullptr);

    // Relabels the labels and sets every control from the built-in defaults; once per run,
    // at the main window's first show, or when the dialog is made after it.
    void initialise();
    // The date and time fields from the clock, as each activation does.
    void FormActivate();

    signcmd::CommandValues values() const;
    void setValues(const signcmd::CommandValues& values);

    // Runs the send; the window puts its exchange lock around it. Runs it as it is when empty.
    std::function<void(const std::function<void()>&)> runExchange;
    // Ask for a file, starting in a folder; empty when cancelled. Tests replace them.
    std::function<QString(const QString& folder)> askOpenFileName;
    std::function<QString(const QString& folder)> askSaveFileName;
    // Where the file dialogs start before a file was chosen in them.
    QString startDirectory;
    // The folder of the file chosen last (kept between runs by the window); told to
    // lastFolderChanged whenever a file is chosen.
    QString lastFolder;
    std::function<void(const QString& folder)> lastFolderChanged;
    // The folder the file dialogs start in: the last one while it exists, else the start
    // directory (an installed program's own folder is no place for files).
    QString fileFolder() const;

    QGroupBox* GroupBox1;
    std::array<QLabel*, signcmd::kCommandCount> lblCmd{};
    std::array<QWidget*, signcmd::kCommandCount> controls{}; // by command number
    QPushButton* Button2;                                    // Send
    QPushButton* Button1;                                    // Save INI File
    QPushButton* Button3;                                    // Open INI File

  public slots:
    void Button2Click();
    void Button1Click();
    void Button3Click();

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;

  private:
    void build();
    QString defaultAskOpenFileName(const QString& folder);
    QString defaultAskSaveFileName(const QString& folder);
    void chosen(const QString& file);

    Exchange& exchange_;
    LinkState& link_;
    bool sending_ = false;
};
