#include "app/FileController.h"

#include "app/WindowMemory.h"
#include "backup/Backups.h"
#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/TableFile.h"
#include "settings/EditSession.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {
// Where each dialog was last, remembered between runs.
const QString kOpenDialog = QStringLiteral("tableOpen");
const QString kSaveDialog = QStringLiteral("tableSave");
} // namespace

FileController::FileController(settings::EditSession& session, UserSeam& seam, WindowMemory& memory,
                               QString startDirectory, Hooks hooks)
    : session_(session), seam_(seam), memory_(memory), startDirectory_(std::move(startDirectory)),
      hooks_(std::move(hooks)) {}

void FileController::openDefaultFile() {
    currentTableFile_ = QDir(startDirectory_).filePath(tablefile::kDefaultFileName);
    if (QFileInfo::exists(currentTableFile_))
        open(true);
}

bool FileController::open(bool useCurrentName) {
    const QString name = useCurrentName
                             ? currentTableFile_
                             : askOpenFileName(memory_.folder(kOpenDialog, startDirectory_));
    if (name.isEmpty())
        return false;
    if (!useCurrentName)
        memory_.rememberFolderOf(kOpenDialog, name);
    return openNamed(name);
}

bool FileController::openNamed(const QString& name) {
    const tablefile::OpenResult result = tablefile::open(name, session_.image());
    switch (result.outcome) {
    case tablefile::Outcome::Unreadable:
        seam_.fileError(result.message);
        return false;
    case tablefile::Outcome::Refused:
        seam_.message(result.message);
        return false;
    case tablefile::Outcome::Merged:
        seam_.message(result.message);
        break;
    case tablefile::Outcome::Taken:
        break;
    }
    // Only a file that was taken becomes the target of Save. A backup, however it was
    // reached, opens as an untitled copy: Save asks for a name, so what the sign held stays.
    const bool backupCopy = backup::isInFolder(name);
    currentTableFile_ = backupCopy ? QString() : name;
    hooks_.showImage();
    // An Open is one step of its own, from a menu or not.
    hooks_.recordStep();
    markKept();
    if (!backupCopy)
        rememberRecentFile(name);
    fileTaken(backupCopy ? msg::label::backupCopy(QFileInfo(name).fileName()) : name);
    return true;
}

bool FileController::save(bool useCurrentName) {
    // An untitled copy has no name to save under yet.
    useCurrentName = useCurrentName && !currentTableFile_.isEmpty();
    const QString name = useCurrentName
                             ? currentTableFile_
                             : askSaveFileName(memory_.folder(kSaveDialog, startDirectory_));
    if (name.isEmpty())
        return false;
    if (!useCurrentName)
        memory_.rememberFolderOf(kSaveDialog, name);
    // The pending serial-output edits first: a pair that does not read stops the save before
    // anything is written.
    hooks_.collectPending();
    if (!tablefile::save(name, session_.image())) {
        seam_.fileError(msg::saveError);
        return false;
    }
    currentTableFile_ = name;
    markKept();
    rememberRecentFile(name);
    fileTaken(name);
    return true;
}

void FileController::fileTaken(const QString& fileName) {
    caption_.fileTaken(fileName);
    updateModifiedMark();
}

void FileController::rememberRecentFile(const QString& path) {
    memory_.addRecentFile(path);
    if (hooks_.recentChanged)
        hooks_.recentChanged();
}

void FileController::markKept() {
    kept_ = hooks_.asSaved().value_or(session_.image());
    updateModifiedMark();
}

void FileController::settingsCameFrom(const QString& origin) {
    caption_.settingsFrom(origin);
    updateModifiedMark();
}

bool FileController::settingsModified() const {
    // What cannot be collected has not been kept either.
    const std::optional<ParamImage> now = hooks_.asSaved();
    if (!now)
        return true;
    // The checksum slot is the sign's, not a setting.
    return !std::equal(now->data(), now->data() + layout::kChecksum, kept_.data());
}

void FileController::updateModifiedMark() {
    caption_.setModified(settingsModified());
    hooks_.captionChanged(caption_.caption(msg::windowCaption));
}

bool FileController::keepOrDropEdits() {
    if (!settingsModified())
        return true;
    const QString name = currentTableFile_.isEmpty() ? msg::label::untitled
                                                     : QFileInfo(currentTableFile_).fileName();
    switch (seam_.askSaveChanges(msg::saveChangesQuestion(name))) {
    case UserSeam::SaveChoice::Save:
        return save(true);
    case UserSeam::SaveChoice::Discard:
        return true;
    case UserSeam::SaveChoice::Cancel:
        break;
    }
    return false;
}
