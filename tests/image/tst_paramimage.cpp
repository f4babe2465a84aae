#include "image/ParamImage.h"

#include <QTest>

using namespace layout;

class TestParamImage : public QObject {
    Q_OBJECT

  private slots:
    void defaultImageBytes() {
        ParamImage img;
        const QByteArray b = img.toByteArray();
        QCOMPARE(b.size(), 4096);
        QCOMPARE(b.mid(0, 16).toHex(' ').toUpper(),
                 QByteArray("FF 03 00 19 81 FF 05 FF FF 00 FF 04 00 03 00 11"));
        QCOMPARE(b.mid(16, 16).toHex(' ').toUpper(),
                 QByteArray("00 44 D8 00 FF FF FF FF FF 00 04 4E 01 08 5A 96"));
        QCOMPARE(b.mid(104, 18).toHex(' ').toUpper(),
                 QByteArray("96 B4 3F 96 B4 09 96 B4 10 96 B4 1F 96 B4 24 FF FF FA"));
        QCOMPARE(b.mid(122, 7).toHex(' ').toUpper(), QByteArray("83 5E 44 00 00 1F 47"));
        QCOMPARE(b.mid(129, 10), QByteArray("0005550142"));
        QCOMPARE(b.mid(139, 17).toHex(' ').toUpper(),
                 QByteArray("01 02 03 04 05 06 07 08 09 00 0A 02 0C 1E 28 FF 01"));
        QCOMPARE(b.mid(156, 9), QByteArray(9, '\0'));
        for (int g = 0; g < 10; ++g)
            QCOMPARE(b.mid(165 + 11 * g, 11).toHex().toUpper(), QByteArray("0A010203040506070809"
                                                                           "00"));
        QCOMPARE(quint8(b[275]), quint8(0x0A));
        for (int o = 276; o <= 384; ++o)
            QCOMPARE(quint8(b[o]), quint8((o - 276) % 11));
        QCOMPARE(b.mid(385, 10), QByteArray(10, '\0'));
        QCOMPARE(b.mid(395, 9), QByteArray(9, '\x01'));
        QCOMPARE(b.mid(404, 3).toHex(), QByteArray("000001"));
        QCOMPARE(b.mid(407, 2278), QByteArray(2278, '\0'));
        QCOMPARE(b.mid(2781, 13), QByteArray(13, '\0'));
        QCOMPARE(b.mid(2794, 2).toHex(), QByteArray("0100"));
        QCOMPARE(b.mid(2796, 11), QByteArray(11, '\0'));
        QCOMPARE(b.mid(2807, 2).toHex(), QByteArray("ffff"));
        QCOMPARE(b.mid(2809, 13), QByteArray("SIGN_PV02.43\0", 13));
        QCOMPARE(b.mid(2822, 3), QByteArray(3, '\0'));
        QCOMPARE(b.mid(2825), QByteArray(1271, '\xFF'));
    }

    void defaultFunctionCodesHaveTheirForm() {
        ParamImage img;
        for (int c = 0; c < 6; ++c)
            for (int f = 0; f < 4; ++f) {
                QCOMPARE(img.at(funCmdCode(c, f, 0)), img.at(funCmdCode(c % 3, 0, 0)));
                QCOMPARE(img.at(funCmdCode(c, f, 1)), img.at(funCmdCode(c % 3, f, 1)));
                QCOMPARE(img.at(funCmdCode(c, f, 2)), quint8(0));
                QCOMPARE(img.at(funCmdCode(c, f, 3)), quint8(0));
                if (f > 0)
                    QVERIFY(img.at(funCmdCode(c, f, 1)) != img.at(funCmdCode(c, 0, 1)));
            }
    }

    void capcodeKeepsLowBits() {
        ParamImage img;
        img.set(capcode(0) + 2, 0xFA);
        img.setCapcode(0, 2097151);
        QCOMPARE(img.toByteArray().mid(capcode(0), 3).toHex().toUpper(), QByteArray("FFFFFA"));
        img.set(capcode(1) + 2, 0x3F);
        img.setCapcode(1, 1234567);
        QCOMPARE(img.toByteArray().mid(capcode(1), 3).toHex().toUpper(), QByteArray("96B43F"));
        img.set(capcode(2), 0);
        img.set(capcode(2) + 1, 0);
        img.set(capcode(2) + 2, 0x05);
        img.setCapcode(2, 1234567);
        QCOMPARE(img.toByteArray().mid(capcode(2), 3).toHex().toUpper(), QByteArray("96B43D"));
        QCOMPARE(img.capcode(2), 1234567u);
        img.setCapcode(2, 0);
        QCOMPARE(img.at(capcode(2) + 2), quint8(0x05));
    }

    void bitsAndSeal() {
        ParamImage img;
        img.set(kRxControl2, 0x5E);
        QCOMPARE(img.getBits(kRxControl2, kBaudCodeShift, kBaudCodeWidth), quint8(2));
        img.putBits(kRxControl2, kBaudCodeShift, 7, kBaudCodeWidth);
        QCOMPARE(img.at(kRxControl2), quint8(0xFE));

        const QByteArray bank = img.sealForSending();
        QCOMPARE(bank.size(), 4100);
        const quint16 s = imageSum(img.data());
        QCOMPARE(img.at(kChecksum), quint8(s >> 8));
        QCOMPARE(img.at(kChecksum + 1), quint8(s & 0xFF));
        QCOMPARE(bank.left(4096), img.toByteArray());
        QVERIFY(bankTailValid(reinterpret_cast<const quint8*>(bank.constData()) + 4094));
        QVERIFY(bankSumValid(bank));
        const quint8 erased[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        QVERIFY(!bankTailValid(erased));
        QByteArray broken = bank;
        broken[4099] = char(broken[4099] ^ 1);
        QVERIFY(!bankTailValid(reinterpret_cast<const quint8*>(broken.constData()) + 4094));
    }

    void classification_data() {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<int>("kind");
        QTest::newRow("this model") << QByteArray("SIGN_PV02.43") << int(ImageKind::Full);
        QTest::newRow("other version") << QByteArray("SIGN_PV01.00") << int(ImageKind::Full);
        QTest::newRow("pager") << QByteArray("POCSAG") << int(ImageKind::Pager);
        QTest::newRow("five chars") << QByteArray("SIGN_") << int(ImageKind::Refused);
        QTest::newRow("other") << QByteArray("FLEX  V1") << int(ImageKind::Refused);
        QTest::newRow("lower case") << QByteArray("sign_pv02") << int(ImageKind::Refused);
    }
    void classification() {
        QFETCH(QByteArray, tag);
        QFETCH(int, kind);
        QByteArray cand(4096, '\0');
        cand.replace(kModelTag, tag.size(), tag);
        QCOMPARE(int(classifyImage(cand)), kind);
    }
    void shortCandidateIsRefused() {
        QCOMPARE(classifyImage(QByteArray(2812, 'P')), ImageKind::Refused);
    }

    void mergeTakesExactlyTheCoreFields() {
        ParamImage img;
        QByteArray cand(4096, '\0');
        for (int i = 0; i < 4096; ++i)
            cand[i] = char(0xA0 ^ (i * 7));
        cand.replace(kModelTag, 7, QByteArray("POCSAG\0", 7));
        const QByteArray before = img.toByteArray();
        mergeCoreSettings(img, cand);
        const QByteArray after = img.toByteArray();
        QList<int> taken = {kSequentialLock, kLanguageCode, kBandIndex, kRxControl4};
        for (int o = kPllR; o <= kPllN + 3; ++o)
            taken << o;
        for (int o = kCapcodes; o < kCapcodes + 18; ++o)
            taken << o;
        for (int o = kRxControl1; o <= kRxControl3; ++o)
            taken << o;
        for (int o = kFunctionTypes; o < kFunctionTypes + 24; ++o)
            taken << o;
        for (int o = 0; o < 4096; ++o) {
            if (o >= kModelTag && o < kModelTag + kModelTagLen)
                continue;
            const char expected = taken.contains(o) ? cand[o] : before[o];
            QVERIFY2(after[o] == expected, qPrintable(QString::number(o)));
        }
        QCOMPARE(after.mid(kModelTag, 13), QByteArray("SIGN_PV02.43\0", 13));
        QCOMPARE(classifyImage(after), ImageKind::Full);
    }
};

QTEST_APPLESS_MAIN(TestParamImage)
#include "tst_paramimage.moc"
