#include "editor/ShownValues.h"

#include <QTest>

using namespace layout;

class TestShownValues : public QObject {
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
        QCOMPARE(shown::real(value), text);
    }

    void defaultSynthesizer() {
        ParamImage img;
        const auto s = shown::synthesizer(img, 3);
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
        auto s = shown::synthesizer(img, 3);
        QCOMPARE(s.channelStep, 0u);
        QVERIFY(s.channel.isEmpty());
        QVERIFY(!s.frequency);
        QCOMPARE(s.pllR, QString("000000"));
        img.writeBE(kPllR, 3, 0xFFFFFF); // step truncates to 0
        s = shown::synthesizer(img, 1);
        QCOMPARE(s.channelStep, 0u);
        QVERIFY(!s.frequency);
    }

    void bandMultipliers() {
        const int expected[] = {2, 2, 2, 3, 3, 5, 1};
        for (int b = 0; b < 7; ++b)
            QCOMPARE(int(*shown::bandMultiplierFor(b)), expected[b]);
        QVERIFY(!shown::bandMultiplierFor(7));
        QVERIFY(!shown::bandMultiplierFor(255));
    }

    void listItemsFromImageValues() {
        QCOMPARE(shown::messageTypeItem(5), 4);
        QCOMPARE(shown::messageTypeItem(4), 4);
        QCOMPARE(shown::messageTypeItem(3), 3);
        QCOMPARE(shown::messageTypeItem(0xFF), -1);
        QCOMPARE(shown::languageItem(9), 10);
        QCOMPARE(shown::languageCaptions()[shown::languageItem(9)], QString("United Kingdom"));
        QCOMPARE(shown::languageItem(10), 0);
        QCOMPARE(shown::languageItem(0xFF), 0);
        QCOMPARE(*shown::uartSpeedItem(25), 3);
        QVERIFY(!shown::uartSpeedItem(26));
        QCOMPARE(*shown::parityItem('E'), 2);
        QVERIFY(!shown::parityItem('X'));
        QCOMPARE(shown::stopBitsItem(3), -1);
        QCOMPARE(shown::dataBitsItem(8), 1);
        QVERIFY(!shown::prescalerItem(0));
        QCOMPARE(*shown::prescalerItem(250), 5);

        ParamImage img;
        for (quint8 code : {0, 3, 4, 5, 6}) {
            img.putBits(kRxControl2, kBaudCodeShift, code, kBaudCodeWidth);
            QCOMPARE(shown::pagingBaudItem(img), 2);
        }
        img.putBits(kRxControl2, kBaudCodeShift, 1, kBaudCodeWidth);
        QCOMPARE(shown::pagingBaudItem(img), 0);
    }

    void defaultValuesAsShown() {
        ParamImage img;
        QCOMPARE(shown::capcodeText(img, 0), QString("1234567"));
        QCOMPARE(shown::capcodeText(img, 5), QString("2097151"));
        QList<bool> on;
        for (int c = 0; c < 6; ++c)
            on << shown::capcodeOn(img, c);
        QCOMPARE(on, (QList<bool>{true, false, false, false, false, true}));
        QCOMPARE(shown::airPassword(img), QString("0005550142"));
        QCOMPARE(shown::readPassword(img), QString());
        QCOMPARE(shown::funCmdPairs(img, 0, 0), QString("31;41;00;00;"));
        QCOMPARE(shown::recordPairs(img, Record::Header, 0, 0), QString());
    }

    void storedLengthsAreBounded() {
        ParamImage img;
        img.set(kFcPassword1Len, 0xFF);
        img.set(kFcPassword1, 'A');
        QCOMPARE(shown::fcPassword(img, 1).size(), 10);
        img.set(kFcPassword1Len, 3);
        QCOMPARE(shown::fcPassword(img, 1).size(), 3);
        img.set(recordLen(Record::Header, 5, 3), 0xFF); // erased memory never reads past the record
        QCOMPARE(shown::recordPairs(img, Record::Header, 5, 3).size(), 30 * 3);
        for (int k = 0; k < 10; ++k)
            img.set(kAirPassword + k, 'x');
        img.set(kAirPassword + 10, 'y');
        QCOMPARE(shown::airPassword(img), QString("xxxxxxxxxx"));
    }

    void delayIsLittleEndian() {
        ParamImage img;
        img.set(kMsgTimeoutDelay, 0x2C);
        img.set(kMsgTimeoutDelay + 1, 0x01);
        QCOMPARE(shown::msgTimeoutDelay(img), quint16(300));
    }
};

QTEST_APPLESS_MAIN(TestShownValues)
#include "tst_shownvalues.moc"
