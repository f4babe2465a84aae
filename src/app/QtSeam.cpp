#include "app/QtSeam.h"

#include "app/MainWindow.h"
#include "core/Messages.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {
void box(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QMessageBox b(icon, caption, text, QMessageBox::Ok, parent);
    b.exec();
}
} // namespace

void showErrorBox(QWidget* parent, const QString& text) {
    box(parent, QMessageBox::Critical, msg::appTitle, text);
}

void QtSeam::message(const QString& text) {
    box(&window_, QMessageBox::NoIcon, msg::appTitle, text);
}

void QtSeam::warning(const QString& text) {
    box(&window_, QMessageBox::Warning, msg::captionZrd, text);
}

void QtSeam::fileError(const QString& text) {
    // The exclamation icon of the file error box is the toolkit's warning icon.
    box(&window_, QMessageBox::Warning, msg::captionTrux, text);
}

void QtSeam::error(const QString& text) {
    showErrorBox(&window_, text);
}

bool QtSeam::askYesNo(const QString& text) {
    QMessageBox b(QMessageBox::Warning, msg::captionVersion, text,
                  QMessageBox::Yes | QMessageBox::No, &window_);
    return b.exec() == QMessageBox::Yes;
}

UserSeam::SaveChoice QtSeam::askSaveChanges(const QString& text) {
    QMessageBox b(QMessageBox::Warning, msg::appTitle, text,
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, &window_);
    b.setObjectName(QStringLiteral("SaveChangesBox"));
    b.setDefaultButton(QMessageBox::Save);
    switch (b.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

std::optional<QString> QtSeam::inputText(const QString& caption, const QString& prompt,
                                         const QString& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(&window_, caption, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

void QtSeam::setStatus(const QString& text) {
    window_.setStatusText(text);
}
void QtSeam::setProgressMax(int maximum) {
    window_.setProgressMax(maximum);
}
void QtSeam::setProgress(int position) {
    window_.setProgress(position);
}
void QtSeam::advanceProgress(int by) {
    window_.advanceProgress(by);
}
void QtSeam::breathe() {
    QCoreApplication::processEvents();
}
