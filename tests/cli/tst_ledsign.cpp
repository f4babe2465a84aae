#include "LedsignRun.h"
#include "cli/Commands.h"
#include "core/Messages.h"
#include "image/ParamImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace layout;

namespace {

void writeImage(const QString& path, QByteArray bytes, const QByteArray& tag = {}) {
    if (!tag.isNull()) {
        bytes.replace(kModelTag, kModelTagLen, QByteArray(kModelTagLen, '\0'));
        bytes.replace(kModelTag, tag.size(), tag);
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestLedsign : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void newThenShowGivesTheDefaults() {
        const QString file = path("x.tbl");
        Run r = ledsign({"new", file});
        QCOMPARE(r.code, 0);
        QCOMPARE(QFileInfo(file).size(), qint64(kImageSize));

        r = ledsign({"show", file});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        const QStringList expected = {
            "Model tag: SIGN_PV02.43",
            "  Range Of Freq.: 400-499MHz(Auto)",
            "  Freq.: 4620000 (462.0000 MHz)",
            "  PLLR: 000300",
            "  PLLN: 0044D800",
            "  MULT: 3",
            "  CHANNEL: 12.5KHz",
            "  Baud Rate: 1200 bps",
            "  Polarity: Normal",
            "  Capcode #1: 1234567 ON   Fun Bit: A Alpha, B Alpha, C Alpha, D Alpha",
            "  Capcode #2: 1234561 OFF  Fun Bit: A Alpha, B Alpha, C Alpha, D Alpha",
            "  Capcode #5: 1234564 OFF  Fun Bit: A Alpha, B Alpha, C Alpha, D Alpha",
            "  Capcode #6: 2097151 ON   Fun Bit: A Binary, B Binary, C Binary, D Binary",
            "  Test Mode: OFF",
            "  Serial Output ON: ON",
            "  UART Baud: 19200",
            "  Data Bits: 8",
            "  Parity: none",
            "  Stop Bits: 1",
            "  End_Code(HEX): 04",
            "  Msg Time Out Delay: 0 Sec",
            "  Serial O/P Marovelkin LED: ON",
            "  RTS Enable: OFF",
            "  FC as a Password: OFF",
            "  Capcode #1 Function Bit A: FC 31;41;00;00;",
            "  Pre-Scaler of Period: 0.1 sec",
            "  Output 9 Period: 0 S",
            "  Power Up Output: ON, outputs: none",
            "  Sequential Lock: 0 Sec",
            "  Language: English",
            "  Out Of Range Time Out: 5 Min",
            "  Air Prm. PW: 0005550142",
            "  Read Password: (none)",
        };
        const QStringList lines = r.out.split('\n');
        for (const QString& l : expected)
            QVERIFY2(lines.contains(l), qPrintable(l));
    }

    void showPrintsEditedValuesAndRecords() {
        ParamImage img;
        img.set(recordLen(Record::Header, 1, 2), 2);
        img.set(recordChar(Record::Header, 1, 2, 0), 0x0D);
        img.set(recordChar(Record::Header, 1, 2, 1), 0x0A);
        img.set(intFunCmd(1, 2), 1);
        img.set(kPowerUpOutputs, 0x05);
        img.set(kPowerUpOutputs2, 0x10);
        img.set(outputPeriod(0), 25);
        img.set(kLanguageCode, 9);
        img.set(kFcPassword1Len, 3);
        std::memcpy(img.data() + kFcPassword1, "123456", 6);
        writeImage(path("edited.tbl"), img.toByteArray());

        const Run r = ledsign({"show", path("edited.tbl")});
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split('\n');
        for (const char* l : {
                 "  Capcode #2 Function Bit C: Header Chars. 0D;0A;  FC 32;43;00;00;  "
                 "Int. Fun. Cmd. ON",
                 "  Power Up Output: ON, outputs: 1 3 9",
                 "  Output 1 Period: 2.5 S",
                 "  Language: United Kingdom",
                 "  Fun. Cmd. Password 1: 123",
             })
            QVERIFY2(lines.contains(QString::fromLatin1(l)), l);
    }

    void jsonIsOneObject() {
        const QString file = path("j.tbl");
        writeImage(file, ParamImage().toByteArray());
        const Run r = ledsign({"show", "--json", file});
        QCOMPARE(r.code, 0);
        QJsonParseError e{};
        const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &e);
        QCOMPARE(e.error, QJsonParseError::NoError);
        QVERIFY(doc.isObject());
        const QJsonObject o = doc.object();
        QCOMPARE(o["file"].toString(), QFileInfo(file).absoluteFilePath());
        QCOMPARE(o["merged"].toBool(), false);
        const QJsonObject f = o["frequency"].toObject();
        QCOMPARE(f["band"].toString(), QStringLiteral("400-499MHz(Auto)"));
        QCOMPARE(f["freq"].toInt(), 4620000);
        QCOMPARE(f["pllR"].toString(), QStringLiteral("000300"));
        QCOMPARE(f["pllN"].toString(), QStringLiteral("0044D800"));
        QCOMPARE(f["mult"].toInt(), 3);
        QCOMPARE(f["channel"].toString(), QStringLiteral("12.5KHz"));
        const QJsonArray caps = o["capcodes"].toArray();
        QCOMPARE(caps.size(), 6);
        QCOMPARE(caps[5].toObject()["capcode"].toString(), QStringLiteral("2097151"));
        QCOMPARE(caps[0].toObject()["on"].toBool(), true);
        QCOMPARE(caps[1].toObject()["on"].toBool(), false);
        QCOMPARE(caps[5].toObject()["types"].toObject()["D"].toString(), QStringLiteral("Binary"));
        const QJsonObject s = o["serialOutput"].toObject();
        QCOMPARE(s["uartBaud"].toString(), QStringLiteral("19200"));
        QCOMPARE(s["endCode"].toString(), QStringLiteral("04"));
        QCOMPARE(s["functionBits"].toArray().size(), 24);
        QCOMPARE(o["features"].toObject()["airPassword"].toString(), QStringLiteral("0005550142"));
    }

    void checkClassifiesFiles() {
        const QByteArray def = ParamImage().toByteArray();
        writeImage(path("full.tbl"), def, "SIGN_PV09.99");
        writeImage(path("pager.tbl"), def, "POCSAG");
        writeImage(path("five.tbl"), def, "SIGN_");
        const QString pager = QFileInfo(path("pager.tbl")).absoluteFilePath();
        const QString five = QFileInfo(path("five.tbl")).absoluteFilePath();

        Run r = ledsign({"check", path("full.tbl")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("full image\n"));

        r = ledsign({"check", path("pager.tbl")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, msg::filePagerFormat(pager) + '\n');

        // A refusal goes where every command puts it: standard error.
        r = ledsign({"check", path("five.tbl")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, msg::fileRefused(five) + '\n');

        for (const QString& bad : {path("missing.tbl"), dir_.path()}) {
            r = ledsign({"check", bad});
            QCOMPARE(r.code, 1);
            QCOMPARE(r.out, QString());
            QVERIFY(r.err.startsWith(msg::openError + '\n' + bad + ": "));
        }
    }

    void showTakesFilesAsOpenDoes() {
        // A pager receiver's capcodes land in the default image; the rest stays default.
        ParamImage foreign;
        foreign.setCapcode(0, 7654321 % 2097152);
        foreign.set(kLanguageCode, 2);
        foreign.set(kAirPassword, '9');
        writeImage(path("p.tbl"), foreign.toByteArray(), "POCSAG");
        Run r = ledsign({"show", path("p.tbl")});
        QCOMPARE(r.code, 0);
        const QString name = QFileInfo(path("p.tbl")).absoluteFilePath();
        QVERIFY(r.out.startsWith(msg::filePagerFormat(name) + "\nModel tag: SIGN_PV02.43\n"));
        QVERIFY(r.out.contains("  Capcode #1: " +
                               QString("%1").arg(7654321 % 2097152, 7, 10, QLatin1Char('0'))));
        QVERIFY(r.out.contains("  Language: French\n"));
        QVERIFY(r.out.contains("  Air Prm. PW: 0005550142\n"));

        r = ledsign({"show", "--json", path("p.tbl")});
        QCOMPARE(r.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(o["merged"].toBool(), true);
        QCOMPARE(o["message"].toString(), msg::filePagerFormat(name));

        writeImage(path("r.tbl"), foreign.toByteArray(), "FLEX__");
        r = ledsign({"show", path("r.tbl")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, msg::fileRefused(QFileInfo(path("r.tbl")).absoluteFilePath()) + '\n');

        r = ledsign({"show", "--json", path("missing.tbl")});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString());
        QVERIFY(r.err.startsWith(msg::openError));
    }

    void showSurvivesAnyImage() {
        // Values no list holds, pllR 0 and unterminated texts print, never crash.
        QByteArray junk(kImageSize, '\xFF');
        junk[kPllR] = junk[kPllR + 1] = junk[kPllR + 2] = 0;
        writeImage(path("junk.tbl"), junk, "SIGN_PXXXXXXX");
        Run r = ledsign({"show", path("junk.tbl")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("  Range Of Freq.: (no item for 255)\n"));
        QVERIFY(r.out.contains("  CHANNEL: (none)\n"));
        // A list keeps its item for a code it has none for, as the window's list does.
        QVERIFY(r.out.contains("  UART Baud: 19200\n"));
        QVERIFY(r.out.contains("  Data Bits: (no item for 255)\n"));
        QVERIFY(r.out.contains(": Header Chars. " + QString("FF;").repeated(30) + "  Trailer"));
        QVERIFY(r.out.contains("  Air Prm. PW: " + QString(10, QChar(0xFF)) + "\n"));
        r = ledsign({"show", "--json", path("junk.tbl")});
        QCOMPARE(r.code, 0);
        QVERIFY(QJsonDocument::fromJson(r.out.toUtf8()).isObject());

        // Short and empty files.
        writeImage(path("short.tbl"), ParamImage().toByteArray().left(3000));
        QCOMPARE(ledsign({"show", path("short.tbl")}).code, 0);
        writeImage(path("empty.tbl"), QByteArray());
        QCOMPARE(ledsign({"show", path("empty.tbl")}).code, 1);
    }

    void newKeepsExistingFilesAndReportsFailures() {
        const QString file = path("keep.tbl");
        writeImage(file, QByteArray(100, 'k'));
        Run r = ledsign({"new", file});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("--force"));
        QCOMPARE(QFileInfo(file).size(), qint64(100));

        r = ledsign({"new", "--force", file});
        QCOMPARE(r.code, 0);
        QCOMPARE(QFileInfo(file).size(), qint64(kImageSize));

        r = ledsign({"new", path("keep.tbl/inner.tbl")}); // the folder is a file
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.startsWith(msg::saveError + '\n'));
        QCOMPARE(QFileInfo(file).size(), qint64(kImageSize));
    }

    void usageErrorsExitTwo() {
        const QList<QStringList> bad = {
            {},
            {"frobnicate"},
            {"--bogus"},
            {"show"},
            {"show", "a.tbl", "b.tbl"},
            {"show", "--bogus", "a.tbl"},
            {"check"},
            {"new"},
        };
        for (const QStringList& args : bad) {
            const Run r = ledsign(args);
            QVERIFY2(r.code == 2, qPrintable(args.join(' ')));
            QVERIFY2(!r.err.isEmpty(), qPrintable(args.join(' ')));
            QVERIFY2(r.out.isEmpty(), qPrintable(args.join(' ')));
        }
    }

    void helpForTheToolAndEveryCommand() {
        Run r = ledsign({"--help"});
        QCOMPARE(r.code, 0);
        for (const cli::Subcommand& c : cli::subcommands()) {
            QVERIFY(r.out.contains(QStringLiteral("  ") + QString::fromLatin1(c.name)));
            const Run h = ledsign({QString::fromLatin1(c.name), "--help"});
            QVERIFY2(h.code == 0, c.name);
            QVERIFY2(h.out.startsWith(QStringLiteral("Usage: ledsign ") + c.name), c.name);
            QCOMPARE(ledsign({"help", QString::fromLatin1(c.name)}).out, h.out);
        }
    }
};

QTEST_GUILESS_MAIN(TestLedsign)
#include "tst_ledsign.moc"
