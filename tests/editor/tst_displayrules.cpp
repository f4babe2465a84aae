#include "editor/DisplayRules.h"

#include <QTest>

using namespace layout;

class TestDisplayRules : public QObject {
    Q_OBJECT

  private slots:
    void realHasNoBinaryNoise_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("half") << 2.5 << "2.5";
        QTest::newRow("step") << 12500 * 0.001 << "12.5";
        QTest::newRow("quarter") << 6250 * 0.001 << "6.25";
        QTest::newRow("sum") << 0.1 + 0.2 << "0.3";
        QTest::newRow("whole") << 5000 * 0.001 << "5";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("max") << 250 * 25.5 << "6375";
        QTest::newRow("period") << 25 * 1 * 0.1 << "2.5";
        QTest::newRow("thirds") << 8.333 << "8.333";
    }
    void realHasNoBinaryNoise() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(display::real(value), text);
    }

    void defaultSynthesizer() {
        ParamImage img;
        const auto s = display::synthesizer(img, 3);
        QCOMPARE(s.pllR, QString("000300"));
        QCOMPARE(s.pllN, QString("0044D800"));
        QCOMPARE(s.mult, QString("3"));
        QCOMPARE(s.channelStep, 12500u);
        QCOMPARE(s.channel, QString("12.5KHz"));
        QCOMPARE(s.frequency.value(), 4620000u);
    }

    void synthesizerWithoutStep() {
        ParamImage img;
        img.writeBE(kPllR, 3, 0);
        auto s = display::synthesizer(img, 3);
        QCOMPARE(s.channelStep, 0u);
        QVERIFY(s.channel.isEmpty());
        QVERIFY(!s.frequency);
        QCOMPARE(s.pllR, QString("000000"));
        img.writeBE(kPllR, 3, 0xFFFFFF); // step truncates to 0
        s = display::synthesizer(img, 1);
        QCOMPARE(s.channelStep, 0u);
        QVERIFY(!s.frequency);
    }

    void bandMultipliers() {
        const int expected[] = {2, 2, 2, 3, 3, 5, 1};
        for (int b = 0; b < 7; ++b)
            QCOMPARE(int(*display::bandMultiplierFor(b)), expected[b]);
        QVERIFY(!display::bandMultiplierFor(7));
        QVERIFY(!display::bandMultiplierFor(255));
    }

    void listItemsFromImageValues() {
        QCOMPARE(display::messageTypeItem(5), 4);
        QCOMPARE(display::messageTypeItem(4), 4);
        QCOMPARE(display::messageTypeItem(3), 3);
        QCOMPARE(display::messageTypeItem(0xFF), -1);
        QCOMPARE(display::languageItem(9), 10);
        QCOMPARE(display::languageCaptions()[display::languageItem(9)], QString("United Kingdom"));
        QCOMPARE(display::languageItem(10), 0);
        QCOMPARE(display::languageItem(0xFF), 0);
        QCOMPARE(*display::uartSpeedItem(25), 3);
        QVERIFY(!display::uartSpeedItem(26));
        QCOMPARE(*display::parityItem('E'), 2);
        QVERIFY(!display::parityItem('X'));
        QCOMPARE(display::stopBitsItem(3), -1);
        QCOMPARE(display::dataBitsItem(8), 1);
        QVERIFY(!display::prescalerItem(0));
        QCOMPARE(*display::prescalerItem(250), 5);

        ParamImage img;
        for (quint8 code : {0, 3, 4, 5, 6}) {
            img.putBits(kRxControl2, kBaudCodeShift, code, kBaudCodeWidth);
            QCOMPARE(display::pagingBaudItem(img), 2);
        }
        img.putBits(kRxControl2, kBaudCodeShift, 1, kBaudCodeWidth);
        QCOMPARE(display::pagingBaudItem(img), 0);
    }

    void defaultValuesAsShown() {
        ParamImage img;
        QCOMPARE(display::capcodeText(img, 0), QString("1234567"));
        QCOMPARE(display::capcodeText(img, 5), QString("2097151"));
        QList<bool> on;
        for (int c = 0; c < 6; ++c)
            on << display::capcodeOn(img, c);
        QCOMPARE(on, (QList<bool>{true, false, false, false, false, true}));
        QCOMPARE(display::airPassword(img), QString("0005550142"));
        QCOMPARE(display::readPassword(img), QString());
        QCOMPARE(display::funCmdPairs(img, 0, 0), QString("31;41;00;00;"));
        QCOMPARE(display::recordPairs(img, Record::Header, 0, 0), QString());
    }

    void storedLengthsAreBounded() {
        ParamImage img;
        img.set(kFcPassword1Len, 0xFF);
        img.set(kFcPassword1, 'A');
        QCOMPARE(display::fcPassword(img, 1).size(), 10);
        img.set(kFcPassword1Len, 3);
        QCOMPARE(display::fcPassword(img, 1).size(), 3);
        img.set(headerLen(5, 3), 0xFF); // erased memory never reads past the record
        QCOMPARE(display::recordPairs(img, Record::Header, 5, 3).size(), 30 * 3);
        for (int k = 0; k < 10; ++k)
            img.set(kAirPassword + k, 'x');
        img.set(kAirPassword + 10, 'y');
        QCOMPARE(display::airPassword(img), QString("xxxxxxxxxx"));
    }

    void delayIsLittleEndian() {
        ParamImage img;
        img.set(kMsgTimeoutDelay, 0x2C);
        img.set(kMsgTimeoutDelay + 1, 0x01);
        QCOMPARE(display::msgTimeoutDelay(img), quint16(300));
    }
};

QTEST_APPLESS_MAIN(TestDisplayRules)
#include "tst_displayrules.moc"
