#pragma once

#include "ScriptedSeam.h"
#include "TestFiles.h"
#include "app/FileController.h"
#include "app/MainWindow.h"
#include "app/SettingsBinder.h"
#include "app/UndoController.h"
#include "image/ParamImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The window as the program starts it (dialogs included), on seam, in folder, with ports for
// the Connection dialog's list and the device's waits shortened; shown and exposed.
std::unique_ptr<TfrmAir> startDeviceWindow(const QString& folder, UserSeam& seam,
                                           const QStringList& ports, const QString& settingsFile);

// A main window on the scripted seam, started in a folder of its own, at its design size.
struct WindowFixture {
    QTemporaryDir dir;
    QTemporaryDir config; // what the window remembers between runs, never the user's own
    QString settingsFile; // another fixture's, to start a second run of the same user
    ScriptedSeam seam;
    std::unique_ptr<TfrmAir> window;
    QStringList openAnswers; // file names the open dialog "chooses", in order
    QStringList saveAnswers;
    int dialogsAsked = 0;

    QString path(const QString& name) const { return dir.filePath(name); }

    // Creates the window; show() then runs its first show (refresh, default.tbl).
    TfrmAir& create();
    TfrmAir& start();

    template <class T = QWidget> T* control(const QString& name) const {
        T* c = window->control<T>(name);
        if (!c)
            qWarning("no control %s", qPrintable(name));
        return c;
    }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        if (!writeFileBytes(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
    }
    static QByteArray readFile(const QString& path) { return fileBytes(path); }
    // An image as a table file holds it, with another model tag.
    static QByteArray withTag(QByteArray bytes, const char* tag) {
        const QByteArray t(tag);
        bytes.replace(layout::kModelTag, layout::kModelTagLen,
                      QByteArray(layout::kModelTagLen, '\0'));
        bytes.replace(layout::kModelTag, t.size(), t);
        return bytes;
    }

  private:
    QString next(QStringList& answers) {
        ++dialogsAsked;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};
