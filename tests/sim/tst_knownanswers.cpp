// Known answers for the line and the banks, written out by hand here (the link request, the
// bank tail read and the clock frame are the protocol's own worked examples), checked against
// the programmer's code and against the simulated sign's, which share none: a fault in either
// cannot be excused by the other agreeing with it.
#include "SignBank.h"
#include "SignWire.h"
#include "image/ParamImage.h"
#include "protocol/Frames.h"

#include <QTest>

namespace {

QByteArray hex(const char* spaced) {
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

const QByteArray kLinkRequest =
    hex("02 81 0A 00 18 E7 4D 61 72 6F 76 65 6C 6B 69 6E 00 00 00 FF FF FF 00 00 A1 08 03");
const QByteArray kBankTailRead =
    hex("02 82 10 00 12 ED 4D 61 72 6F 76 65 6C 6B 69 6E FE 8F 08 01 70 F7 06 00 AE 08 03");
// A write of 03 1B 3C to 0x88000 with sequence 131: the data, the data length (3) and the
// sum's low byte (0x0903) all need escapes.
const QByteArray kEscapedWrite =
    hex("02 83 0D 00 11 EE 4D 61 72 6F 76 65 6C 6B 69 6E 00 80 08 FF 7F F7 1B FC 00 1B FC 1B E4 "
        "3C 1B FC 09 03");
// Stage 131, 5 March 14:07, sequence 129; the sum 033C goes high byte first, its 03 escaped.
const QByteArray kClockFrame =
    hex("02 81 21 62 23 25 2E 27 00 08 02 FD 05 00 00 0A 00 83 1B FC 3C 03");

} // namespace

class TestKnownAnswers : public QObject {
    Q_OBJECT

  private slots:
    void stuffing() {
        const QByteArray raw = hex("41 03 1B 42 FC E4");
        const QByteArray stuffed = hex("41 1B FC 1B E4 42 FC E4");
        QCOMPARE(wire::stuff(raw), stuffed);
        QCOMPARE(signwire::stuff(raw), stuffed);
        QCOMPARE(wire::unstuff(stuffed), raw);
        QCOMPARE(signwire::unstuff(stuffed), raw);
        QCOMPARE(wire::unstuff(hex("1B FC 41")), hex("03 41"));
        QCOMPARE(signwire::unstuff(hex("1B FC 41")), hex("03 41"));
    }

    void requestsTheProgrammerSendsAndTheSignReads() {
        QCOMPARE(wire::deviceFrame(129, wire::Link, 0, 0), kLinkRequest);
        QCOMPARE(wire::deviceFrame(130, wire::Read, wire::bankTail(0), 6), kBankTailRead);
        QCOMPARE(wire::deviceFrame(131, wire::Write, wire::bankBase(0), 3, hex("03 1B 3C")),
                 kEscapedWrite);

        const auto link = signwire::parseRequest(kLinkRequest);
        QVERIFY(link);
        QCOMPARE(int(link->sequence), 129);
        QCOMPARE(int(link->command), 0x18);
        QCOMPARE(link->address, 0u);
        QCOMPARE(int(link->count), 0);
        const auto tail = signwire::parseRequest(kBankTailRead);
        QVERIFY(tail);
        QCOMPARE(int(tail->sequence), 130);
        QCOMPARE(int(tail->command), 0x12);
        QCOMPARE(tail->address, 0x88FFEu);
        QCOMPARE(int(tail->count), 6);
        QVERIFY(tail->data.isEmpty());
        const auto write = signwire::parseRequest(kEscapedWrite);
        QVERIFY(write);
        QCOMPARE(int(write->command), 0x11);
        QCOMPARE(write->address, 0x88000u);
        QCOMPARE(write->data, hex("03 1B 3C"));

        // One byte off anywhere the sign checks, the sum made to match, and it stays silent:
        // start, frame length, command, complement, signature, address, its complement, count.
        for (int at : {0, 2, 4, 5, 9, 16, 19, 22, 24}) {
            QByteArray damaged = signwire::unstuff(kBankTailRead.chopped(1));
            damaged[at] = char(damaged[at] ^ 0x40);
            if (at != 24) {
                quint16 sum = 0;
                for (int i = 0; i < 24; ++i)
                    sum = quint16(sum + quint8(damaged[i]));
                damaged[24] = char(sum & 0xFF);
                damaged[25] = char(sum >> 8);
            }
            QVERIFY2(!signwire::parseRequest(signwire::stuff(damaged) + '\x03'),
                     qPrintable(QString::number(at)));
        }
    }

    void clockFrame() {
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 7));
        QCOMPARE(wire::clockFrame(129, wire::StageBeforeRead, when), kClockFrame);
        const auto d = signwire::parseDisplay(kClockFrame);
        QVERIFY(d);
        QCOMPARE(int(d->classByte), 33);
        QCOMPARE(int(d->code), 0x62);
        QCOMPARE(d->month, 3);
        QCOMPARE(d->day, 5);
        QCOMPARE(d->hour, 14);
        QCOMPARE(d->minute, 7);
        QCOMPARE(d->data, hex("02 FD 05 00 00 0A 00 83"));
        QVERIFY(d->sumOk);
        QByteArray wrongSum = kClockFrame;
        wrongSum[wrongSum.size() - 2] = 0x3D;
        QVERIFY(!signwire::parseDisplay(wrongSum)->sumOk);
    }

    void checksumAndSeal_data() {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QByteArray>("tail");
        // 4094 x 0xFF = 0xFEE02 (the slot's own FF FF not counted).
        QTest::newRow("erased") << QByteArray(4096, char(0xFF)) << hex("EE 02 BB 57 44 A8");
        // Bytes 0, 1, ... 255, 0, 1, ...: 16 x 32640 - 254 - 255 = 0x7F603.
        QByteArray counting;
        for (int i = 0; i < 4096; ++i)
            counting.append(char(i & 0xFF));
        QTest::newRow("counting") << counting << hex("F6 03 A3 56 5C A9");
    }
    void checksumAndSeal() {
        QFETCH(QByteArray, image);
        QFETCH(QByteArray, tail);
        const QByteArray bank = image.left(4094) + tail;

        QCOMPARE(signbank::seal(image), bank);
        ParamImage tool;
        tool.assign(image);
        QCOMPARE(tool.sealForSending(), bank);
        QCOMPARE(tool.toByteArray(), bank.left(4096));

        const auto* bytes = reinterpret_cast<const quint8*>(bank.constData());
        QVERIFY(bankTailValid(bytes + 4094));
        QVERIFY(bankSumValid(bank));
        QVERIFY(bankValid(bank));
        for (int k = 4094; k < 4100; ++k) {
            QByteArray broken = bank;
            broken[k] = char(broken[k] ^ 0x01);
            QVERIFY(!bankValid(broken));
        }
        QByteArray body = bank;
        body[4093] = char(body[4093] ^ 0x01);
        QVERIFY(bankTailValid(reinterpret_cast<const quint8*>(body.constData()) + 4094));
        QVERIFY(!bankSumValid(body));
    }
};

QTEST_GUILESS_MAIN(TestKnownAnswers)
#include "tst_knownanswers.moc"
