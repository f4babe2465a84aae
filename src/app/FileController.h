#pragma once

#include "app/CaptionState.h"
#include "image/ParamImage.h"

#include <QString>
#include <functional>
#include <optional>

class UserSeam;
class WindowMemory;
namespace settings {
class EditSession;
}

// The table files of the window: the file Save writes to, the settings as that file holds
// them (so the caption can mark unsaved changes), Open, Save and the merge of a foreign file,
// and the files remembered for "Open Recent". It asks the person through the user seam and
// for file names through the two ask functions, which tests replace so no dialog opens.
class FileController {
  public:
    struct Hooks {
        // Shows the image just taken on every control (the refresh).
        std::function<void()> showImage;
        // An Open is one undo step of its own.
        std::function<void()> recordStep;
        // Collects the pending serial output edits into the image; throws ConversionError on
        // a pair that does not read.
        std::function<void()> collectPending;
        // The image as Save would write it (the pending edits collected into a copy); nullopt
        // when they do not collect.
        std::function<std::optional<ParamImage>()> asSaved;
        // The window's caption changed.
        std::function<void(const QString&)> captionChanged;
        // The list of recent files changed.
        std::function<void()> recentChanged;
    };

    FileController(settings::EditSession& session, UserSeam& seam, WindowMemory& memory,
                   QString startDirectory, Hooks hooks);

    // Asks for a file name, starting in the given folder; empty when cancelled.
    std::function<QString(const QString& folder)> askOpenFileName;
    std::function<QString(const QString& folder)> askSaveFileName;

    QString startDirectory() const { return startDirectory_; }
    QString currentTableFile() const { return currentTableFile_; }

    // At the first show: "default.tbl" of the start folder is the file Save writes to, and is
    // opened when it exists.
    void openDefaultFile();
    // True when a file was taken or merged; asks for its name unless useCurrentName.
    bool open(bool useCurrentName);
    // Opens a named table file as Open does after its dialog.
    bool openNamed(const QString& name);
    // True when the file was written; asks for its name unless useCurrentName (and one is
    // known).
    bool save(bool useCurrentName);

    // True when the settings differ from the named table file (as last opened or saved; the
    // start-up settings while no file was opened).
    bool settingsModified() const;
    // Before unsaved settings are replaced or closed: asks to save them; false to stay.
    bool keepOrDropEdits();
    // The settings as they are now count as kept: the named file holds them.
    void markKept();
    // The settings were replaced from elsewhere (a sign); the caption says so until the next
    // Open or Save.
    void settingsCameFrom(const QString& origin);
    // Brings the caption's mark up to date with the settings.
    void updateModifiedMark();
    const CaptionState& captionState() const { return caption_; }

  private:
    void fileTaken(const QString& fileName);
    void rememberRecentFile(const QString& path);

    settings::EditSession& session_;
    UserSeam& seam_;
    WindowMemory& memory_;
    QString startDirectory_;
    Hooks hooks_;
    QString currentTableFile_;
    ParamImage kept_; // the settings as the named file holds them
    CaptionState caption_;
};
