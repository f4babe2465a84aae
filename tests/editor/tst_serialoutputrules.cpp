#include "core/Messages.h"
#include "editor/KeyFilters.h"
#include "editor/SerialOutputRules.h"

#include <QTest>

using namespace layout;

// A data column's value inside an expression.
template <typename T> T fetched(const char* column) {
    return *static_cast<T*>(QTest::qData(column, ::qMetaTypeId<T>()));
}
using serialrules::PendingRecord;

namespace {

// Capcode c's record with a typed header for bit A, as it stands uncollected on the screen.
PendingRecord typedHeader(int c, const QString& header) {
    PendingRecord p;
    p.capcode = c;
    p.texts[0].header = header;
    for (auto& t : p.texts)
        t.funCmd = QStringLiteral("01;02;03;04;");
    return p;
}

} // namespace

class TestSerialOutputRules : public QObject {
    Q_OBJECT

  private slots:
    void delayBytesAndFlag_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("on");
        QTest::newRow("300") << "300" << 0x2C << 0x01 << 1;
        QTest::newRow("65000") << "65000" << 0xE8 << 0xFD << 1;
        QTest::newRow("0") << "0" << 0 << 0 << 0;
        QTest::newRow("+7") << "+7" << 7 << 0 << 1;
    }
    void delayBytesAndFlag() {
        QFETCH(QString, text);
        ParamImage img;
        img.set(kMsgDelayOn, 0x55);
        img.set(kMsgTimeoutDelay, 0x55);
        const EditOutcome o = serialrules::msgTimeoutDelayExit(img, text, PendingRecord::none());
        QVERIFY(!o.refused());
        QVERIFY(!o.showSerialFeatures); // a stored delay does not refresh the page
        QCOMPARE(int(img.at(kMsgTimeoutDelay)), fetched<int>("low"));
        QCOMPARE(int(img.at(kMsgTimeoutDelay + 1)), fetched<int>("high"));
        QCOMPARE(int(img.at(kMsgDelayOn)), fetched<int>("on"));
    }

    void delayRefusalsStoreNothing_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown"); // "" for no message
        QTest::addColumn<bool>("warning");
        QTest::newRow("empty") << ""
                               << "" << false;
        QTest::newRow("65001") << "65001" << msg::delayRange << true;
        QTest::newRow("70000") << "70000" << msg::delayRange << true;
        QTest::newRow("-5") << "-5" << msg::delayRange << true;
        QTest::newRow("-1") << "-1" << msg::insertNumeric << false;
        QTest::newRow("letters") << "12a" << msg::insertNumeric << false;
        QTest::newRow("1e9") << "1e9" << msg::insertNumeric << false;
        QTest::newRow("blank") << " 5" << msg::insertNumeric << false;
        QTest::newRow("huge") << "99999999999999999999999" << msg::delayRange << true;
    }
    void delayRefusalsStoreNothing() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        ParamImage img;
        const ParamImage before = img;
        const EditOutcome o = serialrules::msgTimeoutDelayExit(img, text, PendingRecord::none());
        QVERIFY(img == before);
        QCOMPARE(o.outcome.text, shown);
        QCOMPARE(o.refused(), !shown.isEmpty());
        if (o.refused())
            QCOMPARE(o.outcome.box, fetched<bool>("warning") ? RuleOutcome::Box::Warning
                                                             : RuleOutcome::Box::Plain);
        QVERIFY(o.showSerialFeatures);
    }

    // F8: leaving the delay empty or refused keeps the header typed for capcode #3.
    void refreshingRulesCollectThePendingRecordFirst() {
        for (const QString& text : {QString(), QStringLiteral("x"), QStringLiteral("65001")}) {
            ParamImage img;
            const EditOutcome o =
                serialrules::msgTimeoutDelayExit(img, text, typedHeader(2, "41;42;  ;"));
            QVERIFY(o.showSerialFeatures);
            QVERIFY(!o.collectError.refused());
            QCOMPARE(int(img.at(recordLen(Record::Header, 2, 0))), 2);
            QCOMPARE(int(img.at(recordChar(Record::Header, 2, 0, 1))), 0x42);
            QCOMPARE(int(img.at(funCmdCode(2, 3, 3))), 4);
            QCOMPARE(int(img.at(recordLen(Record::Header, 0, 0))),
                     0); // the other capcodes are untouched
        }
    }

    void aCollectThatFailsLeavesThePageAsItIs() {
        ParamImage img;
        const EditOutcome o = serialrules::msgTimeoutDelayExit(img, "70000", typedHeader(1, "4G;"));
        QCOMPARE(o.outcome.text, msg::delayRange);
        QCOMPARE(o.collectError.box, RuleOutcome::Box::Error);
        QCOMPARE(o.collectError.text, msg::notInteger("4G"));
        QVERIFY(!o.showSerialFeatures);
    }

    void endCode_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored"); // -1: nothing stored
        QTest::addColumn<QString>("shown");
        QTest::newRow("1B") << "1B" << 0x1B << "";
        QTest::newRow("lower") << "ff" << 0xFF << "";
        QTest::newRow("one digit") << "7" << 0x07 << "";
        QTest::newRow("1G") << "1G" << -1 << msg::inputHex;
        QTest::newRow("sign") << "-1" << -1 << msg::inputHex;
        QTest::newRow("prefix") << "0x1" << -1 << msg::inputHex;
        QTest::newRow("too wide") << "1FF" << -1 << msg::editout::endCodeRange;
        QTest::newRow("very long") << "000000000001B" << -1 << msg::editout::endCodeRange;
    }
    void endCode() {
        QFETCH(QString, text);
        QFETCH(int, stored);
        ParamImage img;
        const EditOutcome o = serialrules::endCodeExit(img, text);
        QCOMPARE(int(img.at(kEndCode)), stored < 0 ? 0x04 : stored);
        QCOMPARE(o.outcome.text, fetched<QString>("shown"));
        QVERIFY(!o.text); // a refused code stays in the edit
        QVERIFY(!o.showSerialFeatures);
    }

    void emptyEndCodeShowsTheStoredCode() {
        ParamImage img;
        img.set(kEndCode, 0xA);
        const EditOutcome o = serialrules::endCodeExit(img, QString());
        QVERIFY(!o.refused());
        QCOMPARE(o.text.value(), QStringLiteral("0A"));
    }

    void keyFilters() {
        using A = KeyVerdict::Action;
        QCOMPARE(keyfilter::endCodeKey('b').typed, QChar('B'));
        QCOMPARE(keyfilter::endCodeKey('g').action, A::Pass); // no filtering
        QCOMPARE(keyfilter::endCodeKey('\r').action, A::ToFocusSink);

        QCOMPARE(keyfilter::hexMaskKey('a').typed, QChar('A'));
        QCOMPARE(keyfilter::hexMaskKey('9').action, A::Pass);
        const KeyVerdict g = keyfilter::hexMaskKey('g');
        QCOMPARE(g.action, A::Swallow);
        QVERIFY(!g.outcome.refused()); // silently
        QCOMPARE(keyfilter::hexMaskKey(QChar(0x08)).action, A::Pass);
        QCOMPARE(keyfilter::hexMaskKey(QChar(0xE4)).action, A::Swallow); // ä
        QCOMPARE(keyfilter::hexMaskKey('\r').action, A::ToFocusSink);
    }

    void enableStates() {
        using serialrules::serialPageEnables;
        // Serial output off: nothing but the switch takes input, whatever the other boxes say.
        auto e = serialPageEnables(false, false, false);
        QVERIFY(!e.page && !e.funCmdControls);
        e = serialPageEnables(true, false, false);
        QVERIFY(e.page && e.funCmdControls && e.uartPanelVisible);
        // "Fun. Cmd. Enable" takes the "Int. Fun. Cmd." boxes and FC edits away.
        e = serialPageEnables(true, true, true);
        QVERIFY(e.page && !e.funCmdControls && !e.uartPanelVisible);

        ParamImage img; // defaults: serial output on, LED format on, FC enable off
        e = serialPageEnables(img);
        QVERIFY(e.page && e.funCmdControls && !e.uartPanelVisible);
        img.set(kSerialOutputOn, 0);
        img.set(kSerialLedFlag, 0xFF);
        e = serialPageEnables(img);
        QVERIFY(!e.page && !e.funCmdControls && e.uartPanelVisible);
        img.set(kSerialOutputOn, 2); // any value but 0 is on
        img.set(serialCtl(1), 1);
        e = serialPageEnables(img);
        QVERIFY(e.page && !e.funCmdControls);
    }

    void ledFormatForces19200() {
        ParamImage img;
        serialrules::setUartSpeed(img, 2); // 9600
        auto e = serialrules::applySerialLed(img, true);
        QCOMPARE(int(img.at(kUartBaudCode)), 25);
        QCOMPARE(int(img.at(kSerialLedFlag)), 0);
        QCOMPARE(e.uartSpeedItem.value(), serialrules::kUart19200Item);
        QVERIFY(!e.uartPanelVisible);
        e = serialrules::applySerialLed(img, false);
        QCOMPARE(int(img.at(kUartBaudCode)), 25); // still 19200
        QCOMPARE(int(img.at(kSerialLedFlag)), 0xFF);
        QVERIFY(!e.uartSpeedItem);
        QVERIFY(e.uartPanelVisible);
    }
};

QTEST_GUILESS_MAIN(TestSerialOutputRules)
#include "tst_serialoutputrules.moc"
