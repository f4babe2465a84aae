#pragma once

#include "core/UserSeam.h"

#include <QTextStream>
#include <cstdio>

namespace cli {

// The process's standard output and error as text streams (UTF-8).
QTextStream& out();
QTextStream& err();

// The user seam of the terminal. Messages go to standard output one line each, exactly as the
// window words them; errors (validation, file and other error boxes) to standard error.
// Status texts and a progress bar appear on standard error only when it is a terminal.
// Questions are answered from presets, never by reading the keyboard, so scripts never hang.
// True when the stream goes to a terminal, where a person watches it.
bool isTerminal(std::FILE* stream);

class CliSeam : public UserSeam {
  public:
    struct Presets {
        bool quiet = false;           // no status line and no notes on standard error
        bool yes = false;             // the answer to every Yes/No question
        std::optional<QString> input; // the answer to a text input box; none cancels it
    };

    explicit CliSeam(const Presets& presets); // the process's streams
    CliSeam(const Presets& presets, QTextStream& out, QTextStream& err, bool interactive);
    ~CliSeam() override;

    void message(const QString& text) override;
    void warning(const QString& text) override;
    void fileError(const QString& text) override;
    void error(const QString& text) override;
    bool askYesNo(const QString& text) override;
    // The command line keeps no settings between commands; nothing is dropped unasked.
    SaveChoice askSaveChanges(const QString& text) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& initial) override;
    void setStatus(const QString& text) override;
    void setProgressMax(int maximum) override;
    void setProgress(int position) override;
    void advanceProgress(int by) override;
    void breathe() override {}

    // Warnings and errors shown so far (a command may turn them into its exit code).
    int errorsShown() const { return errors_; }

  private:
    void printLine(QTextStream& stream, const QString& text);
    void clearStatusLine();
    void drawStatusLine();
    int percent() const;

    Presets presets_;
    QTextStream& out_;
    QTextStream& err_;
    bool showStatus_;
    bool lineDrawn_ = false;
    QString status_;
    int maximum_ = 100;
    int position_ = 0;
    int drawnPercent_ = -1;
    int errors_ = 0;
};

} // namespace cli
