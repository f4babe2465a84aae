#pragma once

#include "app/production/ProductionSetup.h"
#include "app/production/StablePorts.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTimer;
class WindowMemory;

// Pager > "Production...": the template, the units, the ports (a checked list that follows
// adapters plugged in and out) and the log of a production run, each remembered. It checks
// the run as `ledsign batch` does and stays open showing every problem until there is none.
class ProductionSetupDialog : public QDialog {
    Q_OBJECT

  public:
    ProductionSetupDialog(WindowMemory& memory, const QStringList& extraPorts,
                          QWidget* parent = nullptr);

    // Fills the fields (the remembered choices or the command line's) and ticks the ports.
    void fill(const production::Setup& setup);
    production::Setup setup() const;
    // The outcome of the last check; usable when it holds no error.
    const production::Checked& checked() const { return checked_; }
    void showErrors(const QStringList& errors);
    QStringList errorsShown() const;

    // Where the ports come from; tests replace it. Asked every second while the dialog shows.
    std::function<QList<production::PortChoice>()> listPorts;
    void refreshPorts();
    // The file dialogs; tests replace them. Each gets the field's text and returns the choice.
    std::function<QString(const QString&current)> askTemplate, askUnits, askLog;

    void accept() override;

  private:
    WindowMemory& memory_;
    QLineEdit* template_ = nullptr;
    QLineEdit* units_ = nullptr;
    QLineEdit* log_ = nullptr;
    QListWidget* ports_ = nullptr;
    QPlainTextEdit* errors_ = nullptr;
    QTimer* refresh_ = nullptr;
    QStringList wanted_; // ticked ports, present or not
    production::Checked checked_;
};
