// `ledsign set`: changes through the window's rules, refusals that leave the file alone, and
// `show` agreeing afterwards.
#include "LedsignRun.h"
#include "TestFiles.h"
#include "cli/Commands.h"
#include "core/Messages.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every leaf of a `show --json` object as a `set` change, positions counted from 1.
void leaves(const QJsonValue& v, const QString& path, QStringList& out) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            leaves(*it, path + '.' + it.key(), out);
    } else if (v.isArray() && !path.endsWith(QLatin1String("powerUpOutputs"))) {
        const QJsonArray a = v.toArray();
        for (int i = 0; i < a.size(); ++i)
            leaves(a[i], path + '.' + QString::number(i + 1), out);
    } else if (v.isArray()) {
        QStringList n;
        for (const QJsonValue& e : v.toArray())
            n << QString::number(e.toInt());
        out << path + '=' + n.join(',');
    } else if (v.isBool()) {
        out << path + '=' + (v.toBool() ? "true" : "false");
    } else if (v.isDouble()) {
        out << path + '=' + QString::number(v.toInt());
    } else {
        out << path + '=' + v.toString();
    }
}

} // namespace

class TestSet : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString fresh(const QString& name) {
        const QString path = dir_.filePath(name);
        QFile::remove(path);
        if (ledsign({"new", path}).code != 0)
            qFatal("ledsign new failed");
        return path;
    }
    QJsonObject json(const QString& path) {
        return QJsonDocument::fromJson(ledsign({"show", "--json", path}).out.toUtf8()).object();
    }

  private slots:
    void changesRunInOrderAndShowAgrees() {
        const QString x = fresh("x.tbl");
        Run r = ledsign({"set", x, "frequency.band=130-180MHz(Auto)", "frequency.freq=1590025",
                         "capcodes.3.capcode=1987654", "capcodes.3.on=true",
                         "capcodes.3.types.B=Binary", "frequency.baudRate=512 bps",
                         "frequency.polarity=Invert", "testMode=true"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        const QJsonObject o = json(x);
        const QJsonObject f = o["frequency"].toObject();
        QCOMPARE(f["freq"].toInt(), 1590025);
        QCOMPARE(f["pllR"].toString(), QString("000A00"));
        QCOMPARE(f["pllN"].toString(), QString("006B8080"));
        QCOMPARE(f["channel"].toString(), QString("2.5KHz"));
        QCOMPARE(f["baudRate"].toString(), QString(" 512 bps"));
        QCOMPARE(f["polarity"].toString(), QString("Invert"));
        const QJsonObject c3 = o["capcodes"].toArray()[2].toObject();
        QCOMPARE(c3["capcode"].toString(), QString("1987654"));
        QVERIFY(c3["on"].toBool());
        QCOMPARE(c3["types"].toObject()["B"].toString(), QString("Binary"));
        QVERIFY(o["testMode"].toBool());
        // The baud rate kept capcode #1 as its box showed it.
        QVERIFY(o["capcodes"].toArray()[0].toObject()["on"].toBool());
    }

    void aRefusalLeavesTheFileAsItWas() {
        const QString y = fresh("y.tbl");
        QCOMPARE(ledsign({"set", y, "frequency.band=130-180MHz(5K)"}).code, 0);
        const QByteArray before = fileBytes(y);
        const QList<std::pair<QStringList, QString>> cases = {
            {{"frequency.freq=1590025"}, msg::channelSpacingError},
            {{"capcodes.1.capcode=7", "capcodes.2.capcode=99999999"}, msg::capcodeRange},
            {{"capcodes.1.capcode=12a"}, msg::insertNumeric},
            {{"frequency.freq=-5"}, msg::frequencyRange("130", "180")},
        };
        for (const auto& [changes, message] : cases) {
            const Run r = ledsign(QStringList{"set", "-q", y} + changes);
            QCOMPARE(r.code, 1);
            QCOMPARE(r.err, message + "\n");
            QCOMPARE(fileBytes(y), before);
        }
    }

    void badKeysAndValuesAreUsageErrors() {
        const QString z = fresh("z.tbl");
        const QByteArray before = fileBytes(z);
        Run r = ledsign({"set", z, "capcodes.7.capcode=1"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("capcodes.<capcode>.capcode"));
        r = ledsign({"set", z, "frequency.band=999MHz"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("\"130-180MHz(Auto)\""));
        r = ledsign({"set", z, "testMode=yes"});
        QCOMPARE(r.code, 2);
        r = ledsign({"set", z, "frequency.freq=1590000", "nonsense"});
        QCOMPARE(r.code, 2);
        QCOMPARE(fileBytes(z), before);
        r = ledsign({"set", "--help"});
        QCOMPARE(r.code, 0);
        for (const char* key :
             {"frequency.band", "frequency.freq", "frequency.baudRate", "frequency.polarity",
              "capcodes.<capcode>.capcode", "capcodes.<capcode>.on",
              "capcodes.<capcode>.types.<bit>", "testMode"})
            QVERIFY2(r.out.contains(key), key);
        QCOMPARE(ledsign({"set", dir_.filePath("missing.tbl"), "testMode=true"}).code, 1);
    }

    void serialOutputAndFeatureKeys() {
        const QString x = fresh("s.tbl");
        const Run r = ledsign(
            {"set", x, "serialOutput.on=true", "serialOutput.endCode=1b",
             "serialOutput.msgTimeOutDelay=300", "serialOutput.uartBaud=9600",
             "serialOutput.parity=even", "serialOutput.rtsEnable=true",
             "serialOutput.records.3.B.header=0D;0A;", "serialOutput.records.3.B.intFunCmd=true",
             "serialOutput.records.3.B.trailer=04", "outputFeatures.periodSeconds.7=2.5",
             "outputFeatures.powerUpOutputs=1,3,9", "outputFeatures.funCmdPassword1=abc",
             "features.sequentialLock=9", "features.language=United Kingdom",
             "features.airPassword=1234567890"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        QJsonObject o = json(x);
        const QJsonObject so = o["serialOutput"].toObject();
        QVERIFY(so["on"].toBool());
        QCOMPARE(so["endCode"].toString(), QString("1B"));
        QCOMPARE(so["msgTimeOutDelay"].toInt(), 300);
        QCOMPARE(so["uartBaud"].toString(), QString("9600"));
        QCOMPARE(so["parity"].toString(), QString("even"));
        QVERIFY(so["rtsEnable"].toBool());
        const QJsonObject b = so["records"].toArray()[2].toObject()["B"].toObject();
        QCOMPARE(b["header"].toString(), QString("0D;0A;"));
        QCOMPARE(b["trailer"].toString(), QString("04;"));
        QVERIFY(b["intFunCmd"].toBool());
        const QJsonObject of = o["outputFeatures"].toObject();
        QCOMPARE(of["periodSeconds"].toArray()[6].toString(), QString("2.5"));
        QCOMPARE(of["powerUpOutputs"].toArray(), QJsonArray({1, 3, 9}));
        QCOMPARE(of["funCmdPassword1"].toString(), QString("abc"));
        const QJsonObject f = o["features"].toObject();
        QCOMPARE(f["sequentialLock"].toInt(), 9);
        QCOMPARE(f["language"].toString(), QString("United Kingdom"));
        QCOMPARE(f["airPassword"].toString(), QString("1234567890"));

        // The unit keeps the periods' length; the sign's LED format fixes the UART speed when
        // its box is checked (it already was: checking it again runs no rule, as in the window).
        QCOMPARE(
            ledsign({"set", x, "outputFeatures.preScaler=1 sec", "serialOutput.serialLed=true"})
                .code,
            0);
        QCOMPARE(json(x)["serialOutput"].toObject()["uartBaud"].toString(), QString("9600"));
        QCOMPARE(
            ledsign({"set", x, "serialOutput.serialLed=false", "serialOutput.serialLed=true"}).code,
            0);
        o = json(x);
        QCOMPARE(o["outputFeatures"].toObject()["periodSeconds"].toArray()[6].toString(),
                 QString("2"));
        QCOMPARE(o["serialOutput"].toObject()["uartBaud"].toString(), QString("19200"));
    }

    void serialOutputAndFeatureRefusals() {
        const QString y = fresh("r.tbl");
        const QByteArray before = fileBytes(y);
        const QList<std::pair<QString, QString>> cases = {
            {"serialOutput.endCode=1G", msg::inputHex},
            {"serialOutput.msgTimeOutDelay=70000", msg::delayRange},
            {"serialOutput.msgTimeOutDelay=1e9", msg::insertNumeric},
            {"outputFeatures.periodSeconds.1=abc", msg::notFloat("abc")},
            {"features.sequentialLock=256", msg::byteRange},
            {"features.airPassword=12345678901", msg::editout::passwordTooLong},
            {"serialOutput.records.1.A.header=41;0G;", "'0G' is not a valid integer value"},
            {"outputFeatures.powerUpOutputs=0,10", msg::cli::notOutputList("0,10")},
        };
        for (const auto& [change, message] : cases) {
            const Run r = ledsign({"set", "-q", y, change});
            QVERIFY2(r.code == 1, qPrintable(change));
            QCOMPARE(r.err, message + "\n");
            QCOMPARE(fileBytes(y), before);
        }
        for (const char* bad : {"outputFeatures.periodSeconds.10=1", "features.language=Klingon",
                                "serialOutput.records.7.A.header=41", "serialOutput.serialLed=1"})
            QVERIFY2(ledsign({"set", y, bad}).code == 2, bad);
        QCOMPARE(fileBytes(y), before);
    }

    void showJsonRoundTripsThroughSet() {
        const QString x = fresh("a.tbl");
        QCOMPARE(ledsign({"set", x, "outputFeatures.preScaler=10 sec", "serialOutput.on=true",
                          "outputFeatures.periodSeconds.2=120", "serialOutput.endCode=0A",
                          "serialOutput.records.6.D.timeout=1B;2C;", "features.readPassword=x1",
                          "features.outOfRangeTimeOut=30", "outputFeatures.funCmdEnable=true"})
                     .code,
                 0);
        const QJsonObject o = json(x);
        // The unit first: it rescales the periods set before it.
        QStringList changes{"outputFeatures.preScaler=" +
                            o["outputFeatures"].toObject()["preScaler"].toString()};
        for (const char* group : {"serialOutput", "outputFeatures", "features"}) {
            QJsonObject g = o[group].toObject();
            g.remove("functionBits"); // a digest of "records"
            leaves(g, group, changes);
        }
        const QString y = fresh("b.tbl");
        const Run r = ledsign(QStringList{"set", y} + changes);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        const Run d = ledsign({"diff", x, y});
        QCOMPARE(d.out, QString());
        QCOMPARE(d.code, 0);
    }

    void diffListsExactlyTheChangedSettings() {
        const QString x = fresh("d.tbl");
        const QString y = dir_.filePath("d2.tbl");
        QFile::remove(y);
        QVERIFY(QFile::copy(x, y));
        QCOMPARE(ledsign({"set", y, "serialOutput.msgTimeOutDelay=65000",
                          "serialOutput.records.2.C.trailer=0D;0A;",
                          "outputFeatures.periodSeconds.9=1.5", "features.language=Russian"})
                     .code,
                 0);
        const Run d = ledsign({"diff", "--json", x, y});
        QCOMPARE(d.code, 1);
        const QJsonObject o = QJsonDocument::fromJson(d.out.toUtf8()).object();
        QStringList paths;
        for (const QJsonValue& e : o["settings"].toArray())
            paths << e.toObject()["path"].toString();
        QCOMPARE(paths,
                 QStringList({"serialOutput.msgTimeOutDelay", "serialOutput.records.2.C.trailer",
                              "outputFeatures.periodSeconds.9", "features.language"}));
        QCOMPARE(o["bytes"].toArray().size(), 0);
    }
};

QTEST_MAIN(TestSet)
#include "tst_set.moc"
