// The backups in the window: a backup opened any way is an untitled copy that Save never
// writes back, and the Backups window's table, sorting, filter and buttons.
#include "WindowFixture.h"
#include "app/BackupsWindow.h"
#include "backup/Backups.h"
#include "core/Messages.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>

using namespace layout;

namespace {

SignReading readingOf(const QString& port, const QString& operation, quint32 capcode1) {
    ParamImage image;
    image.setCapcode(0, capcode1);
    return {port, operation, QStringLiteral("Model : POCSAG  Version = 2.52"), 1,
            image.toByteArray()};
}

// The backups go to a data folder of the test's own while it lives.
struct OwnDataFolder {
    QTemporaryDir home;
    QByteArray before = qgetenv("XDG_DATA_HOME");
    OwnDataFolder() { qputenv("XDG_DATA_HOME", home.path().toUtf8()); }
    ~OwnDataFolder() { qputenv("XDG_DATA_HOME", before); }
};

QStringList column(const QTableView* t, int c) {
    QStringList out;
    for (int r = 0; r < t->model()->rowCount(); ++r)
        out << t->model()->index(r, c).data().toString();
    return out;
}

QPushButton* button(const BackupsWindow& w, const char* name) {
    return w.findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class TestWindowBackups : public QObject {
    Q_OBJECT

  private slots:
    void aBackupOpensAsAnUntitledCopyThatSaveDoesNotOverwrite() {
        OwnDataFolder data;
        QString reason;
        const QString kept =
            backup::Store().add(readingOf("/dev/ttyUSB0", "read", 1987654), &reason);
        QVERIFY2(!kept.isEmpty(), qPrintable(reason));
        const QByteArray held = WindowFixture::readFile(kept);

        WindowFixture fx;
        TfrmAir& w = fx.start();
        // Through "Open Backup..." and through a plain Open alike.
        for (const char* item : {"OpenBackup1", "Open1"}) {
            fx.openAnswers << kept;
            w.action(QString::fromLatin1(item))->trigger();
            QCOMPARE(fx.control<QLineEdit>("Edit1")->text(), QStringLiteral("1987654"));
            QVERIFY(w.currentTableFile().isEmpty());
            QVERIFY2(w.windowTitle().endsWith(
                         "[" + msg::label::backupCopy(QFileInfo(kept).fileName()) + "]"),
                     qPrintable(w.windowTitle()));
        }
        QVERIFY(!w.action("OpenRecent1")->isEnabled());

        w.image().setCapcode(1, 1000001);
        w.refreshFromImage();
        // Unsaved edits are asked about before another backup replaces them.
        fx.seam.saveChoices = {UserSeam::SaveChoice::Cancel};
        const int asked = fx.dialogsAsked;
        w.action("OpenBackup1")->trigger();
        QCOMPARE(fx.dialogsAsked, asked);
        QCOMPARE(fx.seam.shown.last(),
                 "save question: " + msg::saveChangesQuestion(msg::label::untitled));
        fx.saveAnswers << QString(); // Ctrl+S asks for a name; cancelled, nothing is written
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fx.dialogsAsked, asked + 1);
        fx.saveAnswers << fx.path("mine.tbl");
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(WindowFixture::readFile(kept), held);
        QCOMPARE(QFileInfo(kept).permissions() & (QFile::WriteOwner | QFile::ReadOther),
                 QFile::Permissions());
        ParamImage saved;
        saved.assign(WindowFixture::readFile(fx.path("mine.tbl")));
        QCOMPARE(saved.capcode(1), 1000001u);
        QCOMPARE(w.currentTableFile(), fx.path("mine.tbl"));
    }

    void theBackupsWindowSortsFiltersAndActsOnTheSelectedRow() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("backups");
        backup::Store store(folder);
        QDateTime now = QDateTime::currentDateTimeUtc().addDays(-1);
        store.setClock([&now] { return now; });
        QString reason;
        QStringList files;
        for (const SignReading& r :
             {readingOf("/dev/ttyUSB0", "read", 300), readingOf("/dev/ttyUSB1", "write", 2000000),
              readingOf("/dev/ttyUSB0", "compare", 1000)}) {
            files << store.add(r, &reason);
            QVERIFY2(!files.last().isEmpty(), qPrintable(reason));
            now = now.addSecs(90);
        }
        QFile index(store.indexPath());
        QVERIFY(index.open(QIODevice::Append));
        index.write("not a backup\n");
        index.close();

        BackupsWindow w(folder);
        bool linked = false;
        w.canCompare = [&linked] { return linked; };
        QStringList shown;
        w.showInFolder = [&shown](const QString& path) { shown << path; };
        w.show();
        QTableView* t = w.table();
        QCOMPARE(t->objectName(), QStringLiteral("grdBackups"));
        QCOMPARE(t->model()->headerData(BackupsWindow::Capcode1, Qt::Horizontal).toString(),
                 msg::label::backupsCapcode1);
        // Newest first, the operations by their shown names.
        QCOMPARE(column(t, BackupsWindow::Operation),
                 (QStringList{"compare", "before write", "read"}));
        QCOMPARE(column(t, BackupsWindow::Capcode1),
                 (QStringList{"0001000", "2000000", "0000300"}));
        QVERIFY(w.findChild<QLabel*>("lblBackupsNote")->isVisible());
        QCOMPARE(w.selectedPath(), files.at(2));

        t->sortByColumn(BackupsWindow::Capcode1, Qt::AscendingOrder);
        QCOMPARE(column(t, BackupsWindow::Capcode1),
                 (QStringList{"0000300", "0001000", "2000000"}));
        t->sortByColumn(BackupsWindow::Time, Qt::AscendingOrder);
        QCOMPARE(column(t, BackupsWindow::Operation),
                 (QStringList{"read", "before write", "compare"}));

        w.filter()->setText("usb0");
        QCOMPARE(column(t, BackupsWindow::Operation), (QStringList{"read", "compare"}));
        w.filter()->setText("BEFORE");
        QCOMPARE(column(t, BackupsWindow::Port), QStringList{"/dev/ttyUSB1"});

        // The newest row, selected at first, is filtered out: nothing to act on.
        QCOMPARE(w.selectedPath(), QString());
        QVERIFY(!button(w, "btnOpenBackup")->isEnabled());
        t->selectRow(0);
        QCOMPARE(w.selectedPath(), files.at(1));
        QVERIFY(button(w, "btnOpenBackup")->isEnabled());
        QVERIFY(!button(w, "btnCompareBackup")->isEnabled());
        linked = true;
        w.reload(); // the selection survives a reload
        QCOMPARE(w.selectedPath(), files.at(1));
        QVERIFY(button(w, "btnCompareBackup")->isEnabled());

        QSignalSpy opened(&w, &BackupsWindow::openRequested);
        QSignalSpy compared(&w, &BackupsWindow::compareRequested);
        button(w, "btnOpenBackup")->click();
        button(w, "btnCompareBackup")->click();
        button(w, "btnShowInFolder")->click();
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().first().toString(), files.at(1));
        QCOMPARE(compared.first().first().toString(), files.at(1));
        QCOMPARE(shown, QStringList{files.at(1)});
    }
};

QTEST_MAIN(TestWindowBackups)
#include "tst_window_backups.moc"
