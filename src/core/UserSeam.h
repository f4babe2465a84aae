#pragma once

#include <QString>
#include <optional>

// Everything the core asks of the person at the keyboard. The window shows message boxes,
// the command line prints, and the tests script the answers and record what was shown.
class UserSeam {
  public:
    virtual ~UserSeam() = default;

    // Plain box with the application title as caption.
    virtual void message(const QString& text) = 0;
    // Validation box: caption "ZRD", warning icon.
    virtual void warning(const QString& text) = 0;
    // File error box: caption "Trux", exclamation icon.
    virtual void fileError(const QString& text) = 0;
    // The application's standard error box (conversion errors, unexpected failures).
    virtual void error(const QString& text) = 0;
    // Caption "Version", Yes and No buttons, exclamation icon. True for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // Unsaved settings about to be replaced or closed: keep them in their file first, drop
    // them, or stay with them.
    enum class SaveChoice { Save, Discard, Cancel };
    virtual SaveChoice askSaveChanges(const QString& text) = 0;
    // Text input box; nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                             const QString& initial) = 0;

    // Panel 1 of the status bar.
    virtual void setStatus(const QString& text) = 0;
    virtual void setProgressMax(int maximum) = 0;
    virtual void setProgress(int position) = 0;
    virtual void advanceProgress(int by) = 0;

    // Let the window process pending events while a device exchange waits.
    virtual void breathe() = 0;
};
