#include "protocol/Frames.h"

#include <QTest>

namespace {

QByteArray hex(const char* spaced) {
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

quint16 le16(const QByteArray& b, int at) {
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

} // namespace

class TestFrames : public QObject {
    Q_OBJECT

  private slots:
    void sequenceRunsFrom129AndSkips255() {
        quint8 s = wire::kFirstSequence;
        s = wire::nextSequence(s);
        QCOMPARE(int(s), 129);
        QCOMPARE(int(wire::nextSequence(253)), 254);
        QCOMPARE(int(wire::nextSequence(254)), 128);
        // A whole lap never produces 255 and comes back to the start.
        s = 128;
        for (int i = 0; i < 127; ++i) {
            s = wire::nextSequence(s);
            QVERIFY(s >= 128 && s <= 254);
        }
        QCOMPARE(int(s), 128);
    }

    void linkRequestOnTheWire() {
        QCOMPARE(wire::deviceFrame(129, wire::Link, 0, 0),
                 hex("02 81 0A 00 18 E7 4D 61 72 6F 76 65 6C 6B 69 6E 00 00 00 FF FF FF 00 00 "
                     "A1 08 03"));
    }

    void bankTailReadOnTheWire() {
        QCOMPARE(wire::deviceFrame(130, wire::Read, wire::bankTail(0), 6),
                 hex("02 82 10 00 12 ED 4D 61 72 6F 76 65 6C 6B 69 6E FE 8F 08 01 70 F7 06 00 "
                     "AE 08 03"));
    }

    void wholeBankReadCarriesCountsButNoData() {
        const QByteArray f =
            wire::unstuff(wire::deviceFrame(200, wire::Read, wire::bankBase(1), 4100).chopped(1));
        QCOMPARE(f.size(), wire::kDeviceHeader + 2);
        QCOMPARE(le16(f, 2), quint16(4110));
        QCOMPARE(le16(f, 22), quint16(4100));
        QCOMPARE(f.mid(16, 6), hex("00 80 0A FF 7F F5"));
        const auto parsed = wire::parseDeviceFrame(f);
        QVERIFY(parsed);
        QCOMPARE(parsed->dataLength, quint16(4100));
        QVERIFY(parsed->data.isEmpty());
    }

    void clockFrameWithStuffedSum() {
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 7));
        QCOMPARE(wire::clockFrame(129, wire::StageBeforeRead, when),
                 hex("02 81 21 62 23 25 2E 27 00 08 02 FD 05 00 00 0A 00 83 1B FC 3C 03"));
    }

    void clockFrameTravelsAsPassThroughData() {
        const QByteArray clock = wire::clockFrame(129, wire::StageBeforeRead,
                                                  QDateTime(QDate(2024, 3, 5), QTime(14, 7)));
        const QByteArray f =
            wire::deviceFrame(130, wire::PassThrough, 0, quint16(clock.size()), clock);
        const auto parsed = wire::parseDeviceFrame(wire::unstuff(f.chopped(1)));
        QVERIFY(parsed);
        QCOMPARE(int(parsed->sequence), 130);
        QCOMPARE(int(parsed->command), int(wire::PassThrough));
        QCOMPARE(parsed->dataLength, quint16(22));
        QCOMPARE(parsed->data, clock);
        // The carried frame still ends in its own end byte, escaped on the outer line.
        QVERIFY(!f.chopped(1).contains(char(wire::kEnd)));
    }

    void stuffingRule() {
        QCOMPARE(wire::stuff(hex("41 03 1B 42")), hex("41 1B FC 1B E4 42"));
        QCOMPARE(wire::unstuff(hex("1B FC 41")), hex("03 41"));
        QCOMPARE(wire::unstuff(hex("1B E4 1B FC")), hex("1B 03"));
        // A lone escape at the end has no partner and is dropped.
        QCOMPARE(wire::unstuff(hex("41 1B")), hex("41"));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QByteArray stuffed = wire::stuff(all);
        QVERIFY(!stuffed.contains(char(wire::kEnd)));
        QCOMPARE(stuffed.size(), 258);
        QCOMPARE(wire::unstuff(stuffed), all);
    }

    void writeDataGrowsOnlyOnTheWire() {
        const QByteArray data = hex("03 10 1B 20");
        const QByteArray f = wire::deviceFrame(150, wire::Write, wire::bankBase(0), 4, data);
        const QByteArray raw = wire::unstuff(f.chopped(1));
        QCOMPARE(raw.size(), wire::kDeviceHeader + 4 + 2);
        QCOMPARE(le16(raw, 2), quint16(14));
        QCOMPARE(le16(raw, 22), quint16(4));
        QCOMPARE(raw.mid(24, 4), data);
        QCOMPARE(le16(raw, 28), wire::sum16(raw, 0, 28));
        QCOMPARE(f.size(), raw.size() + 1 + int(raw.count(char(0x03)) + raw.count(char(0x1B))));
    }

    void addressAndSumBytesAreStuffed() {
        // Address bytes 1B 03 00 and their complements.
        const QByteArray f = wire::deviceFrame(129, wire::Erase, 0x00031B, 0);
        QVERIFY(f.contains(hex("1B E4 1B FC 00")));
        QCOMPARE(f.count(char(wire::kEnd)), 1);
        QVERIFY(f.endsWith(char(wire::kEnd)));
        const auto parsed = wire::parseDeviceFrame(wire::unstuff(f.chopped(1)));
        QVERIFY(parsed);
        QCOMPARE(parsed->address, quint32(0x00031B));
        // Find write data whose sum has a low byte of 0x03 and check its escape.
        const QByteArray head =
            wire::unstuff(wire::deviceFrame(129, wire::Write, 0, 1, hex("00")).chopped(1));
        const quint16 base = wire::sum16(head, 0, 25);
        const quint8 pad = quint8(0x103 - (base & 0xFF));
        const QByteArray g = wire::deviceFrame(129, wire::Write, 0, 1, QByteArray(1, char(pad)));
        const QByteArray raw = wire::unstuff(g.chopped(1));
        QCOMPARE(quint8(raw[25]), quint8(0x03));
        QVERIFY(g.chopped(1).contains(hex("1B FC")));
        QVERIFY(wire::parseDeviceFrame(raw));
    }

    void parseRefusesDamagedFrames() {
        const QByteArray good =
            wire::unstuff(wire::deviceFrame(140, wire::Write, 0x88000, 3, "abc").chopped(1));
        QVERIFY(wire::parseDeviceFrame(good));
        auto damaged = [&](int at, char value) {
            QByteArray b = good;
            b[at] = value;
            return !wire::parseDeviceFrame(b).has_value();
        };
        QVERIFY(damaged(0, 0x01));  // start byte
        QVERIFY(damaged(5, 0x00));  // command complement
        QVERIFY(damaged(6, 'm'));   // signature
        QVERIFY(damaged(19, 0x00)); // address complement
        QVERIFY(damaged(24, 'x'));  // data against the sum
        QVERIFY(damaged(2, 0x20));  // frame length
        QVERIFY(!wire::parseDeviceFrame(good.chopped(1)));
        QVERIFY(!wire::parseDeviceFrame(QByteArray(10, 0x02)));
    }

    void replyHoldsDataFromByte14() {
        const QByteArray data = hex("03 1B 00 FF 41 42");
        const QByteArray reply = wire::replyFrame(131, wire::bankTail(0), data);
        QVERIFY(reply.endsWith(char(wire::kEnd)));
        QCOMPARE(reply.count(char(wire::kEnd)), 1);
        const QByteArray raw = wire::unstuff(reply.chopped(1));
        QCOMPARE(raw.size(), wire::kReplyDataOffset + data.size() + 2);
        QCOMPARE(raw.mid(wire::kReplyDataOffset, data.size()), data);
    }

    void displayFrameRoundTrip() {
        const QDateTime when(QDate(2024, 12, 31), QTime(23, 59));
        const QByteArray text("MKLEDMESG=\x03\x1B!", 13);
        const QByteArray f = wire::displayFrame(200, 34, 0x41, when, text);
        const auto d = wire::parseDisplayFrame(wire::unstuff(f.chopped(1)));
        QVERIFY(d);
        QCOMPARE(int(d->sequence), 200);
        QCOMPARE(int(d->classByte), 34);
        QCOMPARE(int(d->code), 0x41);
        QCOMPARE(d->month, 12);
        QCOMPARE(d->day, 31);
        QCOMPARE(d->hour, 23);
        QCOMPARE(d->minute, 59);
        QCOMPARE(d->data, text);
        QVERIFY(d->sumOk);
        QByteArray bad = wire::unstuff(f.chopped(1));
        bad[12] = 'X';
        QVERIFY(!wire::parseDisplayFrame(bad)->sumOk);
    }
};

QTEST_GUILESS_MAIN(TestFrames)
#include "tst_frames.moc"
