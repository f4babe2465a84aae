#include "LedsignRun.h"
#include "image/ParamImage.h"
#include "settings/EditSession.h"
#include "settings/SettingsReport.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace layout;

namespace {

void writeImage(const QString& path, const ParamImage& image) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(image.toByteArray()), qint64(kImageSize));
}

} // namespace

class TestDiff : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // Every entry is a path of `show --json` holding the entry's value, so `diff`, `show`
    // and the keys of `set` name a setting alike.
    void entriesAreJsonPaths() {
        ParamImage img;
        img.set(recordLen(Record::Header, 5, 3), 1);
        settings::EditSession s;
        s.take(img);
        const QJsonObject json = settings::settingsJson(s);
        QSet<QString> paths;
        for (const settings::SettingEntry& e : settings::settingEntries(s)) {
            QVERIFY2(!paths.contains(e.path), qPrintable(e.path));
            paths.insert(e.path);
            QVERIFY2(settings::jsonAt(json, e.path) == e.json, qPrintable(e.path));
            QVERIFY2((!e.json.isUndefined() && !e.json.isObject() && !e.json.isArray()) ||
                         e.path == "outputFeatures.powerUpOutputs",
                     qPrintable(e.path));
            for (int o : e.offsets)
                QVERIFY(o >= 0 && o < kImageSize);
        }
        for (const char* key : {"frequency.band",
                                "frequency.freq",
                                "capcodes.6.types.D",
                                "testMode",
                                "serialOutput.endCode",
                                "serialOutput.msgTimeOutDelay",
                                "serialOutput.uartBaud",
                                "serialOutput.serialLed",
                                "features.sequentialLock",
                                "features.language",
                                "features.airPassword",
                                "features.readPassword",
                                "outputFeatures.preScaler",
                                "outputFeatures.periodSeconds.7",
                                "outputFeatures.powerUpOutputs",
                                "serialOutput.records.6.D.header",
                                "serialOutput.records.1.A.trailer",
                                "serialOutput.records.3.B.timeout",
                                "serialOutput.records.2.C.fc",
                                "serialOutput.records.4.A.intFunCmd"})
            QVERIFY2(paths.contains(key), key);
        QCOMPARE(settings::jsonAt(json, "serialOutput.records.6.D.header").toString(),
                 QStringLiteral("00;"));
        QVERIFY(settings::jsonAt(json, "capcodes.7.capcode").isUndefined());
        QVERIFY(settings::jsonAt(json, "capcodes.0.capcode").isUndefined());
    }

    void sameFilesExitZeroSilently() {
        writeImage(path("a.tbl"), ParamImage());
        const Run r = ledsign({"diff", path("a.tbl"), path("a.tbl")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, QString());
    }

    void settingsThenUnshownBytes() {
        ParamImage a, b;
        b.setCapcode(2, 1987654);
        b.set(kLanguageCode, 9);
        b.set(recordLen(Record::Trailer, 1, 2), 2);
        b.set(recordChar(Record::Trailer, 1, 2, 0), 0x0D);
        b.set(recordChar(Record::Trailer, 1, 2, 1), 0x0A);
        b.set(kAirPassword + kPasswordLen, 0x77); // receiver table, just after the password
        b.set(0, 0x12);
        b.set(1, 0x34);
        b.set(kChecksum, 0x00);
        for (int i = 3000; i < 3020; ++i)
            b.set(i, 0);
        b.set(recordChar(Record::Trailer, 1, 2, 29),
              0x99); // past the trailer's length: shown by no setting
        writeImage(path("a.tbl"), a);
        writeImage(path("b.tbl"), b);
        const Run r = ledsign({"diff", path("a.tbl"), path("b.tbl")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QString());
        const QStringList expected = {
            "Capcode #3: 1234562 -> 1987654",
            "Capcode #2 Function Bit C Trailer Chars.: (none) -> 0D;0A;",
            "Language: English -> United Kingdom",
            "Bytes 0-1: FF 03 -> 12 34",
            "Byte 139: 01 -> 77",
            "Bytes 3000-3019: 20 bytes differ",
            "Bytes 4094-4095: FF FF -> 00 FF (the checksum, which every Write computes anew: no "
            "difference)",
            "",
        };
        QCOMPARE(r.out.split('\n'), expected);

        const Run j = ledsign({"diff", "--json", path("a.tbl"), path("b.tbl")});
        QCOMPARE(j.code, 1);
        const QJsonObject o = QJsonDocument::fromJson(j.out.toUtf8()).object();
        QCOMPARE(o["same"].toBool(), false);
        const QJsonArray settings = o["settings"].toArray();
        QCOMPARE(settings.size(), 3);
        QCOMPARE(settings[0].toObject()["path"].toString(), QStringLiteral("capcodes.3.capcode"));
        QCOMPARE(settings[0].toObject()["to"].toString(), QStringLiteral("1987654"));
        QCOMPARE(o["bytes"].toArray().size(), 3);
        QCOMPARE(o["checksum"].toObject()["to"].toString(), QStringLiteral("00 FF"));
        QCOMPARE(o["bytes"].toArray()[1].toObject()["first"].toInt(), kAirPassword + kPasswordLen);
    }

    void synthesizerWordsReadAsTheWindowCaptionsThem() {
        // Their window captions carry a colon of their own: one colon per line, not two.
        ParamImage a, b;
        b.set(kPllR + 2, 0x05);
        writeImage(path("a.tbl"), a);
        writeImage(path("b.tbl"), b);
        const Run r = ledsign({"diff", path("a.tbl"), path("b.tbl")});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.out.contains(QStringLiteral("PLLR: 000300 -> 000305\n")), qPrintable(r.out));
        QVERIFY2(!r.out.contains(QStringLiteral("::")), qPrintable(r.out));
    }

    void unshownChangeOfAShownByteIsListed() {
        // Byte 128 goes with the paging baud, but the baud shown is the same: listed as bytes.
        ParamImage a, b;
        b.set(kRxControl4, 0x00);
        writeImage(path("a.tbl"), a);
        writeImage(path("b.tbl"), b);
        const Run r = ledsign({"diff", path("a.tbl"), path("b.tbl")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QStringLiteral("Byte 128: 47 -> 00\n"));
    }

    void filesAreTakenAsOpenTakesThem() {
        // A pager receiver's file merges into the default image: only its capcode differs.
        ParamImage pager;
        pager.setCapcode(0, 7654);
        pager.set(kAirPassword, '9'); // not merged
        QByteArray bytes = pager.toByteArray();
        bytes.replace(kModelTag, kModelTagLen, QByteArray("POCSAG\0\0\0\0\0\0\0", kModelTagLen));
        QFile f(path("p.tbl"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        writeImage(path("a.tbl"), ParamImage());
        Run r = ledsign({"diff", path("a.tbl"), path("p.tbl")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QStringLiteral("Capcode #1: 1234567 -> 0007654\n"));
        QVERIFY(r.err.contains("copy capcode and frequency Only"));

        bytes.replace(kModelTag, 6, "FLEX__");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        r = ledsign({"diff", path("a.tbl"), path("p.tbl")});
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, QString());
        QVERIFY(r.err.contains("the file will discard"));
    }

    void badUsageExitsTwo() {
        writeImage(path("a.tbl"), ParamImage());
        for (const QStringList& args :
             QList<QStringList>{{"diff"},
                                {"diff", path("a.tbl")},
                                {"diff", path("a.tbl"), path("a.tbl"), path("a.tbl")},
                                {"diff", "--bogus", path("a.tbl"), path("a.tbl")},
                                {"diff", path("a.tbl"), path("missing.tbl")}}) {
            const Run r = ledsign(args);
            QVERIFY2(r.code == 2, qPrintable(args.join(' ')));
            QVERIFY(!r.err.isEmpty());
            QVERIFY(r.out.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestDiff)
#include "tst_diff.moc"
