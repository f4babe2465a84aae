// The rules of the frequency and capcode page on the image: bytes written, messages given,
// and texts that must be refused whole.
#include "core/Messages.h"
#include "editor/CapcodeRules.h"
#include "editor/FrequencyRules.h"
#include "editor/PagingRules.h"

#include <QTest>

using namespace layout;

namespace {

QByteArray bytes(const ParamImage& image, int offset, int n) {
    return QByteArray(reinterpret_cast<const char*>(image.data() + offset), n).toHex(' ');
}

// An image as the window holds it after showing it.
struct Page {
    ParamImage image;
    freqrules::Tuning tuning;
    Page() {
        freqrules::followBand(image, tuning);
        freqrules::retune(image, tuning);
    }
};

} // namespace

class TestEditRules : public QObject {
    Q_OBJECT

  private slots:
    void bandsCommitTheirDefaultFrequency_data() {
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("pllR");
        QTest::addColumn<QString>("pllN");
        QTest::addColumn<quint32>("step");
        QTest::newRow("5K") << 0 << "00 05 00"
                            << "00 35 c0 00" << 5000u;
        QTest::newRow("6.25K") << 1 << "00 04 00"
                               << "00 2b 01 00" << 6250u;
        QTest::newRow("130 Auto") << 2 << "00 02 00"
                                  << "00 15 80 00" << 12500u;
        QTest::newRow("278 steps 6.25K") << 3 << "00 06 00"
                                         << "00 50 31 00" << 6250u;
        QTest::newRow("400 Auto") << 4 << "00 03 00"
                                  << "00 44 d8 00" << 12500u;
        QTest::newRow("929") << 5 << "00 05 00"
                             << "00 8e 20 80" << 12500u;
        QTest::newRow("080") << 6 << "00 02 80"
                             << "00 19 37 80" << 5000u;
    }
    void bandsCommitTheirDefaultFrequency() {
        QFETCH(int, band);
        QFETCH(QString, pllR);
        QFETCH(QString, pllN);
        QFETCH(quint32, step);
        Page p;
        QVERIFY(!freqrules::chooseBand(p.image, p.tuning, band).refused());
        QCOMPARE(p.image.at(kBandIndex), band);
        QCOMPARE(QString(bytes(p.image, kPllR, 3)), pllR);
        QCOMPARE(QString(bytes(p.image, kPllN, 4)), pllN);
        QCOMPARE(p.tuning.channelStep, step);
    }

    void autoBandSearchesTheStep() {
        Page p;
        freqrules::chooseBand(p.image, p.tuning, 2);
        QVERIFY(!freqrules::commitFrequency(p.image, p.tuning, "1590025").refused());
        QCOMPARE(QString(bytes(p.image, kPllR, 3)), QString("00 0a 00"));
        QCOMPARE(QString(bytes(p.image, kPllN, 4)), QString("00 6b 80 80"));
        QCOMPARE(p.tuning.channelStep, 2500u);
    }

    void refusedFrequenciesChangeNothing() {
        Page p;
        freqrules::chooseBand(p.image, p.tuning, 0);
        const ParamImage before = p.image;
        const QString range = msg::frequencyRange("130", "180");
        const QList<std::pair<QString, RuleOutcome>> cases = {
            {"1590025", RuleOutcome::warning(msg::channelSpacingError)},
            {"1800001", RuleOutcome::warning(range)},
            {"1299999", RuleOutcome::warning(range)},
            {"-5", RuleOutcome::warning(range)},
            {"4294967296159", RuleOutcome::warning(range)}, // beyond 32 bits, not wrapped
            {"99999999999999999999999", RuleOutcome::warning(range)},
            {"159.0000", RuleOutcome::error(msg::notInteger("159.0000"))},
            {" 1590000", RuleOutcome::error(msg::notInteger(" 1590000"))},
            {"   ", RuleOutcome::error(msg::notInteger("   "))},
            {"15x0000", RuleOutcome::error(msg::notInteger("15x0000"))},
        };
        for (const auto& [text, expected] : cases) {
            const RuleOutcome o = freqrules::commitFrequency(p.image, p.tuning, text);
            QVERIFY2(o.box == expected.box && o.text == expected.text, qPrintable(text));
            QVERIFY(p.image == before);
            QCOMPARE(p.tuning.channelStep, 5000u);
        }
        QVERIFY(!freqrules::commitFrequency(p.image, p.tuning, "1800000").refused());
        QVERIFY(!freqrules::commitFrequency(p.image, p.tuning, "").refused());
    }

    void aLoadedStepRulesTheFixedBand() {
        Page p;
        p.image.set(kBandIndex, 0);
        p.image.writeBE(kPllR, 3, 0x200); // computed for 12.5 kHz
        freqrules::followBand(p.image, p.tuning);
        freqrules::retune(p.image, p.tuning);
        QCOMPARE(p.tuning.channelStep, 12500u);
        QCOMPARE(freqrules::commitFrequency(p.image, p.tuning, "1590050").text,
                 msg::channelSpacingError);
        // No step at all (pllR 0) and a step too fine for N's 25 bits refuse, never divide by
        // zero or wrap pllN.
        p.image.writeBE(kPllR, 3, 0);
        freqrules::retune(p.image, p.tuning);
        QCOMPARE(freqrules::commitFrequency(p.image, p.tuning, "1590000").text,
                 msg::channelSpacingError);
        p.image.writeBE(kPllR, 3, 0xFFFFFF);
        p.tuning.channelStep = 1;
        QCOMPARE(freqrules::commitFrequency(p.image, p.tuning, "1590000").text,
                 msg::channelSpacingError);
    }

    void frequencyKeys() {
        using A = KeyVerdict::Action;
        QCOMPARE(freqrules::frequencyKey('7').action, A::Pass);
        QCOMPARE(freqrules::frequencyKey('.').action, A::Pass);
        QCOMPARE(freqrules::frequencyKey(QChar(kBackspaceChar)).action, A::Pass);
        QCOMPARE(freqrules::frequencyKey(QChar(kEnterChar)).action, A::ToFocusSink);
        const KeyVerdict v = freqrules::frequencyKey('a');
        QCOMPARE(v.action, A::Swallow);
        QCOMPARE(v.outcome.text, msg::insertNumericSpaced);
        QCOMPARE(v.outcome.box, RuleOutcome::Box::Warning);
        QCOMPARE(capcoderules::capcodeKey('a').action, A::Pass);
        QCOMPARE(capcoderules::capcodeKey(QChar(kEnterChar)).action, A::ToFocusSink);
    }

    void baudKeepsCapcodeOneOffAndPolarity() {
        ParamImage image;
        image.set(kRxControl3, 0x45); // capcode #1 off
        pagingrules::chooseBaud(image, 2);
        QCOMPARE(image.at(kRxControl3), quint8(0x75));
        QCOMPARE(image.at(kRxControl4), quint8(0x7F));
        QCOMPARE(image.getBits(kRxControl2, 5, 3), quint8(7));
        QCOMPARE(image.getBits(kBaudIndexByte, 3, 2), quint8(2));
        pagingrules::chooseBaud(image, 0);
        QCOMPARE(image.at(kRxControl3), quint8(0x25));
        QCOMPARE(image.at(kRxControl4), quint8(0x1F));
        QCOMPARE(image.getBits(kRxControl2, 5, 3), quint8(1));
        QCOMPARE(image.getBits(kBaudIndexByte, 3, 2), quint8(0));
        const ParamImage before = image;
        pagingrules::chooseBaud(image, -1);
        pagingrules::choosePolarity(image, 7);
        QVERIFY(image == before);
        pagingrules::choosePolarity(image, 1);
        QCOMPARE(image.getBits(kRxControl1, 4, 1), quint8(1));
    }

    void capcodeTexts() {
        ParamImage image;
        image.writeBE(capcode(1), 3, 5);
        QVERIFY(!capcoderules::typeCapcode(image, 1, "1234567").refused());
        QCOMPARE(QString(bytes(image, capcode(1), 3)), QString("96 b4 3d"));
        QVERIFY(!capcoderules::typeCapcode(image, 1, "2097151").refused());
        QCOMPARE(QString(bytes(image, capcode(1), 3)), QString("ff ff fd"));
        QVERIFY(!capcoderules::typeCapcode(image, 1, "0").refused());
        QCOMPARE(image.capcode(1), 0u);
        const ParamImage before = image;
        const QList<std::pair<QString, QString>> refused = {
            {"2097152", msg::capcodeRange}, {"99999999", msg::capcodeRange},
            {"-5", msg::capcodeRange},      {"-1", msg::insertNumeric},
            {"12a", msg::insertNumeric},    {" ", msg::insertNumeric},
            {"-", msg::insertNumeric},      {"0x10", msg::insertNumeric},
        };
        for (const auto& [text, message] : refused) {
            const RuleOutcome o = capcoderules::typeCapcode(image, 1, text);
            QCOMPARE(o.box, RuleOutcome::Box::Plain);
            QCOMPARE(o.text, message);
            QVERIFY(image == before);
        }
        QVERIFY(!capcoderules::typeCapcode(image, 1, "").refused());
        QVERIFY(image == before);
    }

    void typeBoxesAndOnBoxes() {
        ParamImage image;
        capcoderules::setMessageType(image, 5, 4);
        QCOMPARE(image.at(functionType(1, 1)), quint8(5));
        capcoderules::setMessageType(image, 23, 3);
        QCOMPARE(image.at(functionType(5, 3)), quint8(3));
        const ParamImage before = image;
        capcoderules::setMessageType(image, 0, -1);
        capcoderules::setMessageType(image, 24, 0);
        QVERIFY(image == before);
        capcoderules::setCapcodeOn(image, 2, false);
        QCOMPARE(image.getBits(kRxControl2, 3, 1), quint8(1));
        capcoderules::setCapcodeOn(image, 0, false);
        QCOMPARE(image.getBits(kRxControl3, 0, 1), quint8(1));
    }
};

QTEST_MAIN(TestEditRules)
#include "tst_editrules.moc"
