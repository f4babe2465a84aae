// The File menu's handlers and the window's own file dialogs; FileController does the rest.
#include "app/FileController.h"
#include "app/MainWindow.h"
#include "image/TableFile.h"

#include <QFileDialog>
#include <QFileInfo>

void TfrmAir::Open1Click() {
    if (keepOrDropEdits())
        files_->open(false);
}
void TfrmAir::SaveAs1Click() {
    files_->save(false);
}
void TfrmAir::Save1Click() {
    files_->save(true);
}

bool TfrmAir::openTableFileNamed(const QString& name) {
    return files_->openNamed(name);
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
