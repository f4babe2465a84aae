#include "core/Messages.h"
#include "editor/FeatureRules.h"
#include "editor/OutputRules.h"
#include "editor/PasswordRules.h"
#include "editor/PeriodRules.h"

#include <QTest>
#include <cstring>

using namespace layout;

// A data column's value inside an expression.
template <typename T> T fetched(const char* column) {
    return *static_cast<T*>(QTest::qData(column, ::qMetaTypeId<T>()));
}
using serialrules::PendingRecord;

namespace {
const PendingRecord kNone = PendingRecord::none();
}

class TestOutputFeatures : public QObject {
    Q_OBJECT

  private slots:
    void periodAtTenthOfASecond_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("steps");
        QTest::newRow("2.5") << "2.5" << 25;
        QTest::newRow("25.5") << "25.5" << 255;
        QTest::newRow("2.3 keeps its tenth") << "2.3" << 23;
        QTest::newRow("0.05 truncates") << "0.05" << 0;
        QTest::newRow("exponent") << "1e1" << 100;
    }
    void periodAtTenthOfASecond() {
        ParamImage img;
        const EditOutcome o = periodrules::periodExit(img, 1, 6, fetched<QString>("text"), kNone);
        QVERIFY(!o.refused());
        QVERIFY(o.showSerialFeatures);
        QCOMPARE(int(img.at(outputPeriod(6))), fetched<int>("steps"));
    }

    void periodRefusals_data() {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refresh");
        QTest::newRow("25.6") << 1.0 << "25.6" << msg::periodRange("25.5") << true;
        QTest::newRow("1e9") << 1.0 << "1e9" << msg::periodRange("25.5") << true;
        QTest::newRow("-5") << 1.0 << "-5" << msg::periodRange("25.5") << true;
        QTest::newRow("25 sec") << 250.0 << "6376" << msg::periodRange("6375") << true;
        QTest::newRow("1.2.3") << 1.0 << "1.2.3" << msg::notFloat("1.2.3") << false;
        QTest::newRow("comma") << 1.0 << "1,5" << msg::notFloat("1,5") << false;
        QTest::newRow("inf") << 1.0 << "inf" << msg::notFloat("inf") << false;
    }
    void periodRefusals() {
        QFETCH(QString, text);
        ParamImage img;
        img.set(outputPeriod(0), 7);
        const ParamImage before = img;
        const EditOutcome o =
            periodrules::periodExit(img, fetched<double>("scale"), 0, text, kNone);
        QVERIFY(img == before);
        QCOMPARE(o.outcome.text, fetched<QString>("shown"));
        QCOMPARE(o.showSerialFeatures, fetched<bool>("refresh"));
    }

    void prescalerRescalesThePeriods() {
        // 10 steps of 0.1 s: one step of 1 s; 0 steps of 5 s (0.2 truncated).
        ParamImage img;
        double scale = 1;
        img.set(outputPeriod(0), 10);
        EditOutcome o = periodrules::prescalerPick(img, scale, 1, kNone);
        QVERIFY(o.showSerialFeatures);
        QCOMPARE(scale, 10.0);
        QCOMPARE(int(img.at(kPeriodPrescaler)), 10);
        QCOMPARE(int(img.at(outputPeriod(0))), 1);

        img = ParamImage();
        scale = 1;
        img.set(outputPeriod(0), 10);
        periodrules::prescalerPick(img, scale, 2, kNone);
        QCOMPARE(int(img.at(outputPeriod(0))), 0);

        // 255 steps of 25 s are 63750 steps of 0.1 s: capped at 255.
        img.set(kPeriodPrescaler, 250);
        img.set(outputPeriod(8), 255);
        periodrules::prescalerPick(img, scale, 0, kNone);
        QCOMPARE(int(img.at(kPeriodPrescaler)), 1);
        QCOMPARE(int(img.at(outputPeriod(8))), 255);
        QCOMPARE(outputrules::prescalerMaximum(scale), QStringLiteral("Max.=25.5 sec"));

        // A stored unit of 0 and no item: the shown unit stays, every period becomes 0.
        img.set(kPeriodPrescaler, 0);
        img.set(outputPeriod(3), 9);
        periodrules::prescalerPick(img, scale, -1, kNone);
        QCOMPARE(scale, 1.0);
        QCOMPARE(int(img.at(kPeriodPrescaler)), 1);
        QCOMPARE(int(img.at(outputPeriod(3))), 0);
    }

    void prescalerChangeKeepsTheTypedRecord() {
        ParamImage img;
        double scale = 1;
        PendingRecord p;
        p.capcode = 4;
        p.texts[2].trailer = QStringLiteral("0D;0A;");
        periodrules::prescalerPick(img, scale, 3, p);
        QCOMPARE(int(img.at(recordLen(Record::Trailer, 4, 2))), 2);
        QCOMPARE(int(img.at(recordChar(Record::Trailer, 4, 2, 1))), 0x0A);
    }

    void powerUpOutputs() {
        ParamImage img;
        img.set(kPowerUpOutputs2, 0x0F);
        outputrules::setPowerUpOutput(img, 8, true);
        QCOMPARE(int(img.at(kPowerUpOutputs2)), 0x1F);
        outputrules::setPowerUpOutput(img, 2, true);
        QCOMPARE(int(img.at(kPowerUpOutputs)), 0x04);
        outputrules::setPowerUpOutput(img, 8, false);
        QCOMPARE(int(img.at(kPowerUpOutputs2)), 0x0F);
    }

    void fcPasswordLeavesTheBytesAfterIt() {
        ParamImage img;
        std::memset(img.data() + kFcPassword1, 'z', kPasswordLen);
        QVERIFY(!passwordrules::fcPasswordExit(img, 1, "ABC").refused());
        QCOMPARE(int(img.at(kFcPassword1Len)), 3);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(img.data() + kFcPassword1), 10),
                 QByteArray("ABCzzzzzzz"));
        QVERIFY(!passwordrules::fcPasswordExit(img, 2, "").refused());
        QCOMPARE(int(img.at(kFcPassword2Len)), 0);
    }

    void accessPasswords() {
        ParamImage img;
        const quint8 receiverTable = img.at(kAirPassword + kPasswordLen);
        QVERIFY(receiverTable != 0);
        // F1: ten characters fill the field; byte 139 belongs to the receiver tables.
        QVERIFY(!passwordrules::accessPasswordExit(img, 0, "1234567890").refused());
        QCOMPARE(img.text(kAirPassword, 10), QStringLiteral("1234567890"));
        QCOMPARE(img.at(kAirPassword + kPasswordLen), receiverTable);

        img.set(kReadPassword + kPasswordLen, 0x5A);
        passwordrules::accessPasswordExit(img, 1, "9876543210");
        QCOMPARE(int(img.at(kReadPassword + kPasswordLen)), 0x5A);

        passwordrules::accessPasswordExit(img, 0, "42");
        QCOMPARE(img.text(kAirPassword, 10), QStringLiteral("42"));
        QCOMPARE(int(img.at(kAirPassword + 2)), 0);
        QCOMPARE(int(img.at(kAirPassword + 3)), int('4')); // the old tail stays
        passwordrules::accessPasswordExit(img, 1, "");
        QCOMPARE(int(img.at(kReadPassword)), 0);
    }

    // F12: a password that does not fit is refused whole, with the stored one shown again.
    void passwordsThatDoNotFit_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("11") << "12345678901" << msg::editout::passwordTooLong;
        QTest::newRow("euro") << QString::fromUtf8("12\u20AC4")
                              << msg::editout::passwordCharacter(QString::fromUtf8("\u20AC"));
        QTest::newRow("nul") << QString::fromLatin1("1\0002", 3)
                             << msg::editout::passwordCharacter("\\0");
    }
    void passwordsThatDoNotFit() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        ParamImage img;
        const ParamImage before = img;
        EditOutcome o = passwordrules::accessPasswordExit(img, 0, text);
        QCOMPARE(o.outcome.text, shown);
        QCOMPARE(o.text.value(), QStringLiteral("0005550142"));
        o = passwordrules::fcPasswordExit(img, 1, text);
        QCOMPARE(o.outcome.text, shown);
        QCOMPARE(o.text.value(), QString());
        QVERIFY(img == before);
        // Latin-1 letters have one byte each.
        QVERIFY(!passwordrules::accessPasswordExit(img, 0, QString::fromUtf8("\u00E9t\u00E9"))
                     .refused());
        QCOMPARE(int(img.at(kAirPassword)), 0xE9);
    }

    void sequentialLockAndTimeout_data() {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored"); // -1: refused or empty
        QTest::addColumn<QString>("shown");
        QTest::newRow("255") << 0 << "255" << 255 << "";
        QTest::newRow("0") << 1 << "0" << 0 << "";
        QTest::newRow("256") << 0 << "256" << -1 << msg::byteRange;
        QTest::newRow("-5") << 1 << "-5" << -1 << msg::byteRange;
        QTest::newRow("-1") << 0 << "-1" << -1 << msg::insertNumeric;
        QTest::newRow("1.5") << 0 << "1.5" << -1 << msg::insertNumeric;
        QTest::newRow("empty") << 1 << "" << -1 << "";
    }
    void sequentialLockAndTimeout() {
        QFETCH(int, tag);
        QFETCH(int, stored);
        ParamImage img;
        img.set(kSequentialLock, 33);
        img.set(kOutOfRangeTimeout, 44);
        const EditOutcome o =
            featurerules::byteSettingExit(img, tag, fetched<QString>("text"), kNone);
        QCOMPARE(o.outcome.text, fetched<QString>("shown"));
        const int at = tag == 0 ? kSequentialLock : kOutOfRangeTimeout;
        QCOMPARE(int(img.at(at)), stored >= 0 ? stored : tag == 0 ? 33 : 44);
        QCOMPARE(int(img.at(tag == 0 ? kOutOfRangeTimeout : kSequentialLock)), tag == 0 ? 44 : 33);
        // Only a stored value goes without a refresh.
        QCOMPARE(o.showSerialFeatures, stored < 0);
    }

    void language() {
        ParamImage img;
        featurerules::setLanguage(img, 10);
        QCOMPARE(int(img.at(kLanguageCode)), 9);
        featurerules::setLanguage(img, 0);
        QCOMPARE(int(img.at(kLanguageCode)), 0xFF);
        featurerules::setLanguage(img, 11);
        featurerules::setLanguage(img, -1);
        QCOMPARE(int(img.at(kLanguageCode)), 0xFF);
    }
};

QTEST_GUILESS_MAIN(TestOutputFeatures)
#include "tst_outputfeatures.moc"
