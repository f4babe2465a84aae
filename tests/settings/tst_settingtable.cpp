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

// Any image of this sign: random bytes under its model tag.
static ParamImage randomImage(QRandomGenerator& random) {
    ParamImage image;
    for (int o = 0; o < layout::kImageSize; ++o)
        image.set(o, quint8(random.bounded(256)));
    image.writeModelTag();
    return image;
}

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
        // Every key pattern of `set --help` is settable at every position its placeholders
        // stand for, and nothing else is.
        QStringList expanded;
        for (const QString& pattern : keyPatterns()) {
            QStringList keys{pattern};
            for (const Slot& slot : keySlots()) {
                QStringList next;
                for (const QString& k : keys)
                    if (k.contains(QLatin1String(slot.name)))
                        for (const QString& v : slot.values)
                            next << QString(k).replace(QLatin1String(slot.name), v);
                    else
                        next << k;
                keys = next;
            }
            expanded << keys;
        }
        const QStringList settable = settableKeys();
        QCOMPARE(QSet<QString>(settable.begin(), settable.end()),
                 QSet<QString>(expanded.begin(), expanded.end()));
        QCOMPARE(settable.size(), expanded.size());
    }

    // On any image of this sign, setting a box to what the window shows leaves every byte as
    // the window's opening left it, odd flag bytes included: the box's rule runs only when its
    // state changes. (A list's pick writes its code, which may differ from the image's.)
    void settingWhatIsShownChangesNothing() {
        QRandomGenerator random(17);
        for (int n = 0; n < 40; ++n) {
            const ParamImage image = randomImage(random);
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
    // What `show` prints of a box follows its flag in the image: for every box (and every
    // power-up output), setting one of its bytes to 0x00 and then to 0xFF on an opened image
    // flips its value and the line `show` prints for it, whatever the polarity.
    void flippingABoxsByteFlipsWhatShowPrints() {
        QRandomGenerator random(31);
        for (int n = 0; n < 4; ++n) {
            const ParamImage image = randomImage(random);
            for (const Instance& i : instances()) {
                const bool box = i.row->kind == Kind::Box || i.row->kind == Kind::RecordBox;
                if (!box && !i.row->familySize)
                    continue;
                bool flipped = false;
                for (int o : i.bytes()) {
                    ParamImage a = image, b = image;
                    a.set(o, 0x00);
                    b.set(o, 0xFF);
                    EditSession sa, sb;
                    sa.take(a);
                    sb.take(b);
                    if (i.read(sa).json == i.read(sb).json)
                        continue;
                    flipped = true;
                    QVERIFY2(i.read(sa).text != i.read(sb).text, qPrintable(i.path));
                    QVERIFY2(settingsText(sa) != settingsText(sb), qPrintable(i.path));
                }
                QVERIFY2(flipped, qPrintable(QStringLiteral("%1 (image %2)").arg(i.path).arg(n)));
            }
        }
    }

    // The other half of that: what a setting `diff` compares shows is read from its own bytes,
    // so a change to any other byte leaves it as it was (a byte it reads but does not declare
    // is a difference that `diff` would never report).
    void whatASettingShowsComesFromItsBytes() {
        QRandomGenerator random(37);
        const ParamImage image = randomImage(random);
        EditSession opened;
        opened.take(image);
        const QList<Instance>& all = instances();
        QList<QJsonValue> before;
        QList<QSet<int>> bytes;
        for (const Instance& i : all) {
            before << i.read(opened).json;
            const QList<int> b = i.bytes();
            bytes << QSet<int>(b.begin(), b.end());
        }
        QStringList undeclared;
        for (int o = 0; o < layout::kImageSize; ++o) {
            ParamImage changed = image;
            changed.set(o, quint8(~image.at(o)));
            changed.writeModelTag();
            if (changed == image)
                continue;
            EditSession s;
            s.take(changed);
            for (qsizetype k = 0; k < all.size(); ++k)
                if (all[k].row->inDiff && !bytes[k].contains(o) && all[k].read(s).json != before[k])
                    undeclared << QStringLiteral("%1 reads byte %2 but does not declare it")
                                      .arg(all[k].path)
                                      .arg(o);
        }
        QVERIFY2(undeclared.isEmpty(), qPrintable(undeclared.join(QLatin1Char('\n'))));
    }

    // A row's bytes are what `diff` accounts a change to: every rule, given values read from
    // other images, writes only the bytes its row declares as its own or as others' it writes.
    void everyRuleWritesOnlyItsBytes() {
        QRandomGenerator random(29);
        for (int n = 0; n < 60; ++n) {
            EditSession opened, other;
            opened.take(randomImage(random));
            other.take(n % 3 ? randomImage(random) : ParamImage());
            for (const Instance& i : instances()) {
                if (!i.row->rule)
                    continue;
                Input in;
                const QJsonValue v = i.read(other).json;
                QString typed = v.isString()   ? v.toString()
                                : v.isBool()   ? QString::fromLatin1(v.toBool() ? "true" : "false")
                                : v.isDouble() ? QString::number(v.toInteger())
                                               : QString();
                if (v.isArray())
                    for (const QJsonValue& e : v.toArray())
                        typed += QString::number(e.toInt()) + QLatin1Char(',');
                if (i.row->kind == Kind::List)
                    in.item = random.bounded(int(i.row->items.size()));
                else if (!readInput(*i.row, typed, in))
                    continue;
                EditSession s = opened;
                if (apply(s, i, in).refused())
                    continue;
                QList<int> declared = i.row->bytes(i.at);
                if (i.row->alsoWrites)
                    declared += i.row->alsoWrites(i.at);
                for (int o = 0; o < layout::kImageSize; ++o)
                    if (s.image().at(o) != opened.image().at(o) && !declared.contains(o))
                        QFAIL(qPrintable(QStringLiteral("%1 writes byte %2 (image %3)")
                                             .arg(i.path)
                                             .arg(o)
                                             .arg(n)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstSettingTable)
#include "tst_settingtable.moc"
