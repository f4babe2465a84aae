// The window against the setting table and the command line: every control that edits the
// image is one row's, and a file opened in the window and saved holds what `ledsign set` of a
// value the window shows saves.
#include "LedsignRun.h"
#include "WindowFixture.h"
#include "settings/SettingTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRandomGenerator>

class TstWindowSettings : public QObject {
    Q_OBJECT
  private slots:
    void everyControlIsOneRowsControl() {
        WindowFixture fx;
        TfrmAir& w = fx.start();
        // The capcode selector and the focus sink show no setting.
        const QStringList notSettings = {"ComboBox1", "edtNull"};
        QList<QWidget*> controls;
        for (QWidget* c : w.centralWidget()->findChildren<QWidget*>())
            if (qobject_cast<QCheckBox*>(c) || qobject_cast<QComboBox*>(c) ||
                qobject_cast<QLineEdit*>(c))
                controls << c;
        for (QWidget* c : controls) {
            if (notSettings.contains(c->objectName()) || c->objectName().isEmpty() ||
                qobject_cast<QComboBox*>(c->parent()))
                continue;
            QVERIFY2(settings::findControl(c->objectName()), qPrintable(c->objectName()));
        }
        for (const settings::Instance& i : settings::instances())
            if (i.row->control)
                QVERIFY2(w.control(i.control()), qPrintable(i.control()));
    }

    void openedAndSavedIsWhatSetSaves_data() {
        QTest::addColumn<QByteArray>("image");
        const QDir golden(QStringLiteral(LEDSIGN_GOLDEN_DIR));
        for (const QString& t : golden.entryList({QStringLiteral("*.tbl")}, QDir::Files))
            if (t != "erased.tbl" && t != "zeros.tbl") // refused by both
                QTest::newRow(qPrintable(t)) << fileBytes(golden.filePath(t));
        QRandomGenerator random(1209);
        for (int n = 0; n < 8; ++n) {
            QByteArray b(layout::kImageSize, '\0');
            for (char& c : b)
                c = char(random.bounded(256));
            QTest::newRow(qPrintable(QStringLiteral("random %1").arg(n)))
                << WindowFixture::withTag(b, "SIGN_PV02.43");
        }
    }

    void openedAndSavedIsWhatSetSaves() {
        QFETCH(QByteArray, image);
        WindowFixture fx;
        TfrmAir& w = fx.start();
        const QString file = fx.path("sign.tbl"), saved = fx.path("saved.tbl");
        WindowFixture::writeFile(file, image);
        fx.openAnswers << file;
        fx.saveAnswers << saved;
        w.Open1Click();
        w.SaveAs1Click();
        const QString shown = w.CheckBox7->isChecked() ? "true" : "false";
        QCOMPARE(ledsign({"set", file, "testMode=" + shown}).code, 0);
        const QByteArray fromWindow = fileBytes(saved), fromSet = fileBytes(file);
        QStringList differ;
        for (int o = 0; o < layout::kSummedBytes; ++o)
            if (fromWindow.at(o) != fromSet.at(o))
                differ << QStringLiteral("%1: %2 %3")
                              .arg(o)
                              .arg(quint8(fromWindow.at(o)))
                              .arg(quint8(fromSet.at(o)));
        QVERIFY2(differ.isEmpty(), qPrintable(differ.join(", ")));
    }
};

QTEST_MAIN(TstWindowSettings)
#include "tst_window_settings.moc"
