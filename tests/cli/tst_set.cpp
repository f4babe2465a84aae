// `ledsign set`: changes through the window's rules, refusals that leave the file alone, and
// `show` agreeing afterwards.
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

struct Run {
    int code = -1;
    QString out, err;
};

Run ledsign(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(LEDSIGN_CLI_PATH), args);
    Run r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
        const QByteArray before = contents(y);
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
            QCOMPARE(contents(y), before);
        }
    }

    void badKeysAndValuesAreUsageErrors() {
        const QString z = fresh("z.tbl");
        const QByteArray before = contents(z);
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
        QCOMPARE(contents(z), before);
        r = ledsign({"set", "--help"});
        QCOMPARE(r.code, 0);
        for (const char* key :
             {"frequency.band", "frequency.freq", "frequency.baudRate", "frequency.polarity",
              "capcodes.<capcode>.capcode", "capcodes.<capcode>.on",
              "capcodes.<capcode>.types.<bit>", "testMode"})
            QVERIFY2(r.out.contains(key), key);
        QCOMPARE(ledsign({"set", dir_.filePath("missing.tbl"), "testMode=true"}).code, 1);
    }
};

QTEST_MAIN(TestSet)
#include "tst_set.moc"
