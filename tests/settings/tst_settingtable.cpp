// The setting table against itself: every coded list reads back what it writes, every key is a
// path of the JSON report, and taking a value the window shows changes nothing.
#include "editor/ShownValues.h"
#include "settings/EditSession.h"
#include "settings/SettingTable.h"
#include "settings/SettingsReport.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

using namespace settings;

class TstSettingTable : public QObject {
    Q_OBJECT
  private slots:
    void codedListsReadBackWhatTheyWrite() {
        for (const shown::CodedList* l :
             {&shown::coded::uartSpeed(), &shown::coded::parity(), &shown::coded::prescaler(),
              &shown::coded::language(), &shown::coded::messageType()}) {
            QCOMPARE(l->captions().size(), qsizetype(l->items.size()));
            for (int i = 0; i < int(l->items.size()); ++i)
                QCOMPARE(l->itemOf(*l->codeOf(i)), std::optional<int>(i));
            QVERIFY(!l->codeOf(-1) && !l->codeOf(int(l->items.size())));
        }
    }

    void everyKeyIsOnePathOfTheReport() {
        EditSession s;
        const QJsonObject json = settingsJson(s);
        QSet<QString> paths, controls;
        for (const Instance& i : instances()) {
            QVERIFY2(!paths.contains(i.path), qPrintable(i.path));
            paths.insert(i.path);
            QVERIFY2(jsonAt(json, i.path) == i.read(s).json, qPrintable(i.path));
            if (i.row->control && i.row->kind != Kind::RecordText &&
                i.row->kind != Kind::RecordBox) {
                QVERIFY2(!controls.contains(i.control()), qPrintable(i.control()));
                controls.insert(i.control());
                QCOMPARE(findControl(i.control()), &i);
            }
            if (i.row->rule)
                QCOMPARE(findKey(i.path), &i);
        }
        QCOMPARE(settableKeys().size(), 6 * 2 + 24 + 24 * 5 + 9 + 32);
    }

    // On any image of this sign, setting a box to what the window shows leaves every byte as
    // the window's opening left it, odd flag bytes included: the box's rule runs only when its
    // state changes. (A list's pick writes its code, which may differ from the image's.)
    void settingWhatIsShownChangesNothing() {
        QRandomGenerator random(17);
        for (int n = 0; n < 40; ++n) {
            ParamImage image;
            for (int o = 0; o < layout::kImageSize; ++o)
                image.set(o, quint8(random.bounded(256)));
            image.writeModelTag();
            EditSession opened;
            opened.take(image);
            for (const Instance& i : instances()) {
                if (!i.row->rule || i.row->kind != Kind::Box)
                    continue;
                const Value v = i.read(opened);
                Input in;
                QVERIFY(readInput(*i.row, v.json.toBool() ? "true" : "false", in));
                EditSession s = opened;
                QVERIFY(!apply(s, i, in).refused());
                QVERIFY2(s.image() == opened.image(), qPrintable(QString::number(n) + i.path));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstSettingTable)
#include "tst_settingtable.moc"
