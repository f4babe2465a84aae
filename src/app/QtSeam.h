#pragma once

#include "core/UserSeam.h"

class QWidget;
class TfrmAir;

// The user seam of the window: modal message boxes over the main window, the status bar and
// the progress bar PB1.
class QtSeam : public UserSeam {
  public:
    explicit QtSeam(TfrmAir& window) : window_(window) {}

    void message(const QString& text) override;
    void warning(const QString& text) override;
    void fileError(const QString& text) override;
    void error(const QString& text) override;
    bool askYesNo(const QString& text) override;
    SaveChoice askSaveChanges(const QString& text) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& initial) override;

    void setStatus(const QString& text) override;
    void setProgressMax(int maximum) override;
    void setProgress(int position) override;
    void advanceProgress(int by) override;
    void breathe() override;

  private:
    TfrmAir& window_;
};

// The application's standard error box, also used where no window is at hand.
void showErrorBox(QWidget* parent, const QString& text);
