// The File menu: table files in and out of the image, and the caption that names them.
#include "app/MainWindow.h"
#include "app/WindowMemory.h"
#include "backup/Backups.h"
#include "core/Messages.h"
#include "core/UserSeam.h"
#include "image/TableFile.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {
// Where each dialog was last, remembered between runs.
const QString kOpenDialog = QStringLiteral("tableOpen");
const QString kSaveDialog = QStringLiteral("tableSave");
} // namespace

void TfrmAir::Open1Click() {
    if (keepOrDropEdits())
        openTableFile(false);
}
void TfrmAir::SaveAs1Click() {
    saveTableFile(false);
}
void TfrmAir::Save1Click() {
    saveTableFile(true);
}

bool TfrmAir::openTableFile(bool useCurrentName) {
    const QString name = useCurrentName
                             ? currentTableFile_
                             : askOpenFileName(memory().folder(kOpenDialog, startDirectory_));
    if (name.isEmpty())
        return false;
    if (!useCurrentName)
        memory().rememberFolderOf(kOpenDialog, name);
    return openTableFileNamed(name);
}

bool TfrmAir::openTableFileNamed(const QString& name) {
    const tablefile::OpenResult result = tablefile::open(name, image_);
    switch (result.outcome) {
    case tablefile::Outcome::Unreadable:
        seam().fileError(result.message);
        return false;
    case tablefile::Outcome::Refused:
        seam().message(result.message);
        return false;
    case tablefile::Outcome::Merged:
        seam().message(result.message);
        break;
    case tablefile::Outcome::Taken:
        break;
    }
    // Only a file that was taken becomes the target of Save. A backup, however it was
    // reached, opens as an untitled copy: Save asks for a name, so what the sign held stays.
    const bool backupCopy = backup::isInFolder(name);
    currentTableFile_ = backupCopy ? QString() : name;
    refreshFromImage();
    // An Open is one step of its own, from a menu or not.
    recordStep();
    markKept();
    if (!backupCopy)
        rememberRecentFile(name);
    updateCaption(backupCopy ? msg::label::backupCopy(QFileInfo(name).fileName()) : name);
    return true;
}

bool TfrmAir::saveTableFile(bool useCurrentName) {
    // An untitled copy has no name to save under yet.
    useCurrentName = useCurrentName && !currentTableFile_.isEmpty();
    const QString name = useCurrentName
                             ? currentTableFile_
                             : askSaveFileName(memory().folder(kSaveDialog, startDirectory_));
    if (name.isEmpty())
        return false;
    if (!useCurrentName)
        memory().rememberFolderOf(kSaveDialog, name);
    // The pending serial-output edits first: a pair that does not read stops the save before
    // anything is written.
    collectCapcodeRecord(selectedCapcode_);
    if (!tablefile::save(name, image_)) {
        seam().fileError(msg::saveError);
        return false;
    }
    currentTableFile_ = name;
    markKept();
    rememberRecentFile(name);
    updateCaption(name);
    return true;
}

void TfrmAir::updateCaption(const QString& fileName) {
    caption_.fileTaken(fileName);
    updateModifiedMark();
}

QString TfrmAir::defaultAskOpenFileName(const QString& startDirectory) {
    QFileDialog dialog(this, QString(), startDirectory, tablefile::kDialogFilter);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(tablefile::kDefaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString TfrmAir::defaultAskSaveFileName(const QString& startDirectory) {
    QFileDialog dialog(this, QString(), startDirectory, tablefile::kDialogFilter);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(tablefile::kDefaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}
