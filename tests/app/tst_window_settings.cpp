// The window against the setting table and the command line: every control that edits the
// image is one row's, and a file opened in the window and saved holds what `ledsign set` of a
// value the window shows saves.
#include "LedsignRun.h"
#include "WindowFixture.h"
#include "settings/EditSession.h"
#include "settings/SettingTable.h"
#include "settings/SettingsReport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
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

    // Every change made in the window (a box clicked, a list item picked, an edit typed and
    // left) leaves the settings as `settings::apply` leaves them for `ledsign set` and batch,
    // one key after another on an opened image of random bytes.
    void everyChangeInTheWindowIsWhatApplyMakes() {
        WindowFixture fx;
        TfrmAir& w = fx.start();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QRandomGenerator random(2812);
        auto randomImage = [&random] {
            QByteArray b(layout::kImageSize, '\0');
            for (char& c : b)
                c = char(random.bounded(256));
            return WindowFixture::withTag(b, "SIGN_PV02.43");
        };
        const QString file = fx.path("sign.tbl");
        WindowFixture::writeFile(file, randomImage());
        fx.openAnswers << file;
        w.Open1Click();
        settings::EditSession other;
        ParamImage otherImage;
        otherImage.assign(randomImage());
        other.take(otherImage);

        for (const settings::Instance& i : settings::instances()) {
            const settings::Kind kind = i.row->kind;
            if (!i.row->rule || !i.row->control || kind == settings::Kind::RecordText ||
                kind == settings::Kind::RecordBox)
                continue;
            // The control is shown and can be used: its page in front, the serial page on.
            QWidget* control = w.control(i.control());
            if (!control->isVisible())
                w.stcFeaturesClick();
            if (!control->isVisible())
                w.stcCodeClick();
            control->show(); // the edits the access code opens
            if (!control->isEnabled())
                w.control<QCheckBox>(QStringLiteral("chkCtl5"))->setChecked(true);
            QVERIFY2(control->isEnabled() || !control->isVisible(), qPrintable(i.control()));
            settings::EditSession expected = w.session();
            settings::Input in;
            if (auto* box = w.control<QCheckBox>(i.control())) {
                in.checked = !box->isChecked();
                box->setChecked(in.checked);
            } else if (auto* list = w.control<QComboBox>(i.control())) {
                in.item = random.bounded(int(list->count()));
                list->setCurrentIndex(in.item);
                emit list->activated(in.item);
            } else if (auto* edit = w.control<QLineEdit>(i.control())) {
                // A value the other image shows, typed as the edit's key filter lets it in.
                const QJsonValue v = i.read(other).json;
                QString typed = v.isDouble() ? QString::number(v.toInteger()) : v.toString();
                typed.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() > 0x7E; });
                edit->setFocus(Qt::TabFocusReason);
                QTRY_VERIFY2(edit->hasFocus(), qPrintable(i.path));
                edit->selectAll();
                QTest::keyClicks(edit, typed);
                in.text = edit->text();
                QTest::keyClick(edit, Qt::Key_Return);
                QTRY_VERIFY(!edit->hasFocus());
            } else {
                QFAIL(qPrintable(i.control()));
            }
            settings::apply(expected, i, in);
            QVERIFY2(settings::settingsText(w.session()) == settings::settingsText(expected),
                     qPrintable(i.path));
            // As saved: the window's rules that refresh the serial page keep what its
            // function-bit edits show, which the command line collects before it saves.
            w.collectPendingRecord();
            expected.collectRecord();
            QVERIFY2(w.image() == expected.image(), qPrintable(i.path));
        }
    }

    // The function-bit edits wait: what is typed into them changes nothing until it is
    // collected, and then the image holds what the field's row makes of the same text.
    void typedRecordFieldsCollectAsTheirRowsApply() {
        WindowFixture fx;
        TfrmAir& w = fx.start();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.stcFeaturesClick();
        w.control<QCheckBox>(QStringLiteral("chkCtl5"))->setChecked(true);
        w.control<QCheckBox>(QStringLiteral("chkCtl1"))->setChecked(false);
        auto* selector = w.control<QComboBox>(QStringLiteral("ComboBox1"));
        selector->setCurrentIndex(2);
        emit selector->activated(2);
        int n = 0;
        for (const settings::Instance& i : settings::instances()) {
            if (i.at.a != 2 || (i.row->kind != settings::Kind::RecordText &&
                                i.row->kind != settings::Kind::RecordBox))
                continue;
            settings::EditSession expected = w.session();
            const ParamImage before = w.image();
            settings::Input in;
            if (auto* box = w.control<QCheckBox>(i.control())) {
                in.checked = !box->isChecked();
                box->click();
            } else {
                auto* edit = w.control<QLineEdit>(i.control());
                edit->setFocus(Qt::TabFocusReason);
                QTRY_VERIFY2(edit->hasFocus(), qPrintable(i.path));
                edit->setCursorPosition(0);
                QTest::keyClicks(edit, QString::number(++n % 10) + QStringLiteral("a7"));
                in.text = edit->displayText();
            }
            QVERIFY2(w.image() == before, qPrintable(i.path));
            QCOMPARE(settings::apply(expected, i, in).refused(), false);
            w.collectPendingRecord();
            QVERIFY2(w.image() == expected.image(), qPrintable(i.path));
        }
        QCOMPARE(n, 4 * 4); // header, trailer, time-out and FC of each function bit
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
        const QString shown = w.control<QCheckBox>("CheckBox7")->isChecked() ? "true" : "false";
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
