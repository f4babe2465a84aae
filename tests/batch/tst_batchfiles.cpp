// What a line of signs reads and writes besides the signs: the units table, the log and the
// stations' line protocol.
#include "TestFiles.h"
#include "batch/BatchLog.h"
#include "batch/BatchPlan.h"
#include "batch/StationProtocol.h"
#include "image/ParamImage.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace batch;

class TestBatchFiles : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QByteArray template_ = [] {
        ParamImage image;
        return image.toByteArray();
    }();
    Plan plan(const QByteArray& csv) { return makePlan(template_, csv, QStringLiteral("u.csv")); }

  private slots:
    // CR, LF and CRLF each end a line, inside quoted fields as well; the units come in order.
    void lineEndings() {
        for (const QByteArray& end : {QByteArray("\r"), QByteArray("\n"), QByteArray("\r\n")}) {
            const Plan p = plan("unit,capcodes.1.capcode" + end + "a,1000001" + end + end + "\"b" +
                                end + "c\",1000002" + end + "d,1000003");
            QVERIFY2(p.exitCode == 0, qPrintable(p.error));
            QCOMPARE(p.units.size(), 3);
            QCOMPARE(p.units[1].label, QString("b" + end + "c"));
            QCOMPARE(p.units[1].line, 4);
            QCOMPARE(p.units[2].line, 6);
        }
    }

    // Every fault of the file is told with its own line, a malformed file before refused
    // values (exit 2), then only refused values (exit 1).
    void everyErrorWithItsLine() {
        const Plan p = plan("unit,capcodes.1.capcode\r\n"
                            "1,1000001\r\n"
                            "2,1\"000002\r\n" // 3: stray quote
                            "3,100\xff"
                            "0003\r\n"                  // 4: not UTF-8
                            "4,1000004,9\r\n"           // 5: three fields
                            "\"5\r\nfive\",3000000\r\n" // 6-7: refused by the rule
                            "1,1000008\r\n"             // 8: unit 1 again
                            "9,lots\r\n");              // 9: no number
        QCOMPARE(p.exitCode, 2);
        QStringList lines;
        for (const QString& e : p.errors)
            lines << e.section(':', 1, 1);
        QCOMPARE(lines, (QStringList{"3", "4", "5", "6", "8", "9"}));
        QVERIFY2(p.errors[1].contains("not UTF-8"), qPrintable(p.errors[1]));
        // A unit's name is shown with its control characters escaped.
        QVERIFY2(p.errors[3].startsWith("u.csv:6: unit 5\\r\\nfive, capcodes.1.capcode:"),
                 qPrintable(p.errors[3]));
        QVERIFY(p.units.isEmpty());
        QCOMPARE(p.error, p.errors.join('\n'));

        const Plan refused = plan("unit,capcodes.1.capcode\n1,3000000\n\x1b[2J,3000001\n");
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.errors.size(), 2);
        QVERIFY2(refused.errors[1].startsWith("u.csv:3: unit \\x1b[2J,"),
                 qPrintable(refused.errors[1]));

        QByteArray many = "unit,capcodes.1.capcode\n";
        for (int i = 0; i < 25; ++i)
            many += "x,1,2\n";
        const Plan capped = plan(many);
        QCOMPARE(capped.errors.size(), 49); // every row too long, every row after the first a twin
        QCOMPARE(capped.error.count('\n'), kShownErrors);
        QVERIFY(capped.error.endsWith("\nand 29 more errors"));
    }

    void headerFaults() {
        QCOMPARE(plan("").exitCode, 2);
        QCOMPARE(plan("unit,capcodes.1.capcode\n").errors,
                 QStringList{"u.csv:1: no units below the header"});
        const Plan p = plan("unit,capcodes.1.capcode,nothing,capcodes.1.capcode\n1,1000001,,\n");
        QCOMPARE(p.exitCode, 2);
        QCOMPARE(p.errors.size(), 2);
    }

    // Every event survives its line, and a line that is no event is refused.
    void stationEvents() {
        using K = StationEvent::Kind;
        const QList<StationEvent> events{
            StationEvent::ofPhase(StationPhase::Waiting),
            StationEvent::ofPhase(StationPhase::Writing),
            StationEvent::ofPhase(StationPhase::ReadingBack),
            StationEvent::ofPhase(StationPhase::Unplug),
            StationEvent::ofPercent(40),
            StationEvent::ofText(K::Firmware, "Model : POCSAG"),
            StationEvent::ofText(K::Backup, "a b.tbl"),
            StationEvent::ofText(K::Message, QString::fromUtf8("Fehler: \xc3\xbc")),
            StationEvent{K::Ready, {}, 0, {}, {}},
            StationEvent::ofImage(QByteArray(4096, '\xA5')),
            StationEvent::stop(),
        };
        for (const StationEvent& e : events) {
            const QByteArray line = formatEvent(e);
            QVERIFY(line.endsWith('\n') && line.count('\n') == 1);
            const auto back = parseEvent(QByteArrayView(line).chopped(1));
            QVERIFY2(back, line.constData());
            QCOMPARE(back->kind, e.kind);
            QCOMPARE(back->phase, e.phase);
            QCOMPARE(back->number, e.number);
            QCOMPARE(back->text, e.text);
            QCOMPARE(back->bytes, e.bytes);
        }
        QCOMPARE(formatEvent(StationEvent::ofText(K::Message, "two\nlines")),
                 QByteArray("message two lines\n"));
        for (const char* bad : {"", "phase", "phase sideways", "percent 101", "percent x",
                                "stop now", "image !!", "hello"})
            QVERIFY2(!parseEvent(bad), bad);
    }

    // Lines are appended whole; a line torn by a crash does not swallow the next.
    void logAppends() {
        const QString path = dir_.filePath("l.jsonl");
        writeFileBytes(path,
                       "{\"unit\":\"1\",\"result\":\"ok\",\"checksum\":\"ab\"}\n{\"unit\":\"2\",");
        BatchLog log;
        QString reason;
        qint64 holder = 0;
        QCOMPARE(log.open(path, &reason, &holder), BatchLog::Opened::Ok);
        QCOMPARE(log.records().size(), 1);
        QCOMPARE(log.records()[0].imageChecksum, QString("ab"));
        LogRecord r;
        r.unit = "3";
        r.result = kResultFailed;
        r.message = "x";
        r.time = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone::utc());
        QVERIFY(log.write(r.toLine(), &reason));
        QVERIFY(log.write(r.toLine(), &reason));
        log.close();
        const QList<LogRecord> all = readRecords(fileBytes(path));
        QCOMPARE(all.size(), 3);
        QCOMPARE(all[1].unit, QString("3"));
        QCOMPARE(all[2].time, r.time);
        QCOMPARE(fileBytes(path).count('\n'), 4);
    }
};

QTEST_GUILESS_MAIN(TestBatchFiles)
#include "tst_batchfiles.moc"
