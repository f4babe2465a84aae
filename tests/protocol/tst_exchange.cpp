#include "PtyPeer.h"
#include "ScriptedSeam.h"
#include "core/Messages.h"
#include "image/ImageLayout.h"
#include "image/ParamImage.h"
#include "protocol/Exchange.h"
#include "protocol/Firmware.h"
#include "serial/TCommPort.h"

#include <QTest>
#include <memory>

namespace {

QByteArray hex(const char* spaced) {
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

const QByteArray kPositive = hex("02 06 81 00");
const QStringList kTransmitError{QStringLiteral("message: ") + msg::transmitError};

wire::DeviceFrame parsed(const QByteArray& onWire) {
    const auto f = wire::parseDeviceFrame(wire::unstuff(onWire.chopped(1)));
    return f ? *f : wire::DeviceFrame{};
}

// The sign side answers a read with the requested bytes of memory.
PtyPeer::Answer answerRead(const QByteArray& frame, const QByteArray& memory, quint32 base) {
    const wire::DeviceFrame f = parsed(frame);
    if (f.command != wire::Read)
        return PtyPeer::Answer::with(wire::acknowledgement(f.sequence, true));
    return PtyPeer::Answer::with(
        wire::replyFrame(f.sequence, f.address, memory.mid(f.address - base, f.dataLength)));
}

// A real pseudo-terminal with the sign's side played by the test, and short poll periods.
struct Rig {
    PtyPeer peer;
    TCommPort port;
    ScriptedSeam seam;
    Exchange ex{port, seam};

    Rig() {
        ex.timing().pollMs = 5;
        ex.timing().quietPollMs = 1;
        ex.timing().passPollUs = 1000;
        if (peer.ok())
            port.OpenAt(19200, peer.path(), 1);
    }
};

} // namespace

class TestExchange : public QObject {
    Q_OBJECT

  private slots:
    void linkAndTailReadOnTheWire() {
        Rig r;
        QVERIFY(r.port.isOpen());
        const QByteArray tail = hex("12 34 12 34 ED CB");
        QByteArray memory(0x20000, char(0xFF));
        memory.replace(0x0FFE, 6, tail);

        // Bytes 0, 2 and 3 of an acknowledgement are not examined.
        r.peer.answerAll(hex("55 06 AA BB"));
        QVERIFY(r.ex.SendRequest(0, 0, wire::Link));
        QVERIFY(!r.ex.transferError());
        r.peer.setScript([&](const QByteArray& f, int) { return answerRead(f, memory, 0x88000); });
        const auto got = r.ex.ReadMemory(wire::bankTail(0), 6, 50);
        QVERIFY(got);
        QCOMPARE(*got, tail);
        QVERIFY(!r.ex.transferError());
        QVERIFY(r.seam.shown.isEmpty());

        const auto frames = r.peer.frames();
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0], hex("02 81 0A 00 18 E7 4D 61 72 6F 76 65 6C 6B 69 6E 00 00 00 FF FF FF "
                                "00 00 A1 08 03"));
        QCOMPARE(frames[1], hex("02 82 10 00 12 ED 4D 61 72 6F 76 65 6C 6B 69 6E FE 8F 08 01 70 F7 "
                                "06 00 AE 08 03"));
        // Progress: both frames written, then one step per reply byte before the end byte.
        const int replyBytes = int(wire::replyFrame(130, wire::bankTail(0), tail).size()) - 1;
        QCOMPARE(r.seam.progressAdvanced, 27 + 27 + replyBytes);
    }

    void negativeAcknowledgement() {
        Rig r;
        r.peer.answerAll(hex("02 15 81 00"));
        QVERIFY(!r.ex.SendRequest(wire::bankBase(0), 0, wire::Erase));
        QVERIFY(r.ex.transferError());
        QVERIFY(r.seam.shown.isEmpty());
        QVERIFY(r.seam.statuses.isEmpty());
    }

    void missingAcknowledgement() {
        Rig r;
        r.seam.progress = 40;
        // Three bytes arrive, the fourth never does.
        r.peer.answerAll(hex("02 06 81"));
        QVERIFY(!r.ex.SendRequest(0, 0, wire::Link));
        QVERIFY(r.ex.transferError());
        QCOMPARE(r.seam.shown, kTransmitError);
        QCOMPARE(r.seam.status(), msg::statusReady);
        QCOMPARE(r.seam.progress, 0);
        // The window breathed after every empty poll; the last byte got its own full count.
        QVERIFY(r.seam.breaths >= r.ex.timing().polls);
        QVERIFY(r.seam.breaths < 2 * r.ex.timing().polls);
    }

    // A sign faster than the polls leaves no empty poll to breathe in; the window still gets
    // its breath (and its progress bar a repaint) once the reply is complete.
    void aReplyThatIsAlreadyThereStillLetsTheWindowBreathe() {
        Rig r;
        QVERIFY(r.port.isOpen());
        const QByteArray frame = wire::replyFrame(0x81, 0x10, hex("01 02 03 04"));
        r.peer.send(frame);
        for (int i = 0; i < 200 && r.port.BytesWaiting() < quint32(frame.size()); ++i)
            r.port.WaitForData(5);
        QCOMPARE(r.port.BytesWaiting(), quint32(frame.size()));
        QByteArray reply;
        QVERIFY(r.ex.ReadReply(reply, 64));
        QCOMPARE(reply, frame.chopped(1));
        QCOMPARE(r.seam.breaths, 1);
    }

    void missingAcknowledgementWhileQuiet() {
        Rig r;
        r.ex.setQuiet(true);
        QVERIFY(!r.ex.SendRequest(0, 0, wire::Link));
        QVERIFY(r.ex.transferError());
        QVERIFY(r.seam.shown.isEmpty());
        QVERIFY(r.seam.statuses.isEmpty());
        // Purged: a late acknowledgement of the lost frame cannot answer the next one.
        r.peer.answerAll(kPositive);
        r.ex.setTransferError(false);
        QVERIFY(r.ex.SendRequest(0, 0, wire::Link));
        QVERIFY(!r.ex.transferError());
    }

    void closedPortFailsWithTheFlag() {
        Rig r;
        r.port.Close();
        QVERIFY(!r.ex.SendRequest(0, 0, wire::Link));
        QVERIFY(r.ex.transferError());
        QCOMPARE(int(r.ex.sequence()), 129);
        r.ex.setTransferError(false);
        QVERIFY(!r.ex.SendRequest(0x88000, 6, wire::Read));
        QVERIFY(r.ex.transferError());
        r.ex.setTransferError(false);
        QByteArray reply("stale");
        QVERIFY(!r.ex.ReadReply(reply, 50));
        QVERIFY(reply.isEmpty());
        QVERIFY(r.ex.transferError());
        r.ex.setTransferError(false);
        QVERIFY(!r.ex.WriteFrame("x"));
        QVERIFY(r.ex.transferError());
        // Answers that cannot come end as missed answers do; a bare write says nothing.
        const QString lost = QStringLiteral("message: ") + msg::transmitError;
        QCOMPARE(r.seam.shown, (QStringList{lost, lost, lost}));
        QCOMPARE(r.seam.progressAdvanced, 0);
    }

    void writeFramesCarryTheBankAndItsTrailer() {
        Rig r;
        r.peer.answerAll(kPositive);
        ParamImage image;
        const QByteArray bank = image.sealForSending();
        QCOMPARE(bank.size(), layout::kBankSize);
        const int b = 1;
        QVERIFY(r.ex.SendRequest(wire::bankBase(b), wire::kWriteChunk, wire::Write, &bank, b));
        QVERIFY(r.ex.SendRequest(wire::bankBase(b) + wire::kSecondWriteOffset, wire::kWriteChunk,
                                 wire::Write, &bank, b));
        QVERIFY(!r.ex.transferError());
        const auto frames = r.peer.frames();
        QCOMPARE(frames.size(), 2);
        const wire::DeviceFrame first = parsed(frames[0]);
        const wire::DeviceFrame second = parsed(frames[1]);
        QCOMPARE(first.address, wire::bankBase(b));
        QCOMPARE(first.data, bank.left(wire::kWriteChunk));
        QCOMPARE(second.address, wire::bankBase(b) + wire::kSecondWriteOffset);
        QCOMPARE(second.data.size(), wire::kWriteChunk);
        QCOMPARE(second.data.left(layout::kBankSize - wire::kSecondWriteOffset),
                 bank.mid(wire::kSecondWriteOffset));
        const auto code = defaultFunCmdCode(0, 1);
        QCOMPARE(second.data.right(4), QByteArray(reinterpret_cast<const char*>(code.data()), 4));
        // The progress bar moved by the bytes on the wire, escapes included.
        QCOMPARE(r.seam.progressAdvanced, int(frames[0].size() + frames[1].size()));
    }

    void strayEndByteAtTheStartOfAReply() {
        Rig r;
        const QByteArray data = hex("50 4F 43 53 41 47 03 1B 56 32 2E 30");
        r.peer.setScript([&](const QByteArray& f, int) {
            QByteArray reply = wire::replyFrame(parsed(f).sequence, wire::kFirmwareAddress, data);
            reply.insert(0, char(wire::kEnd));
            reply.insert(7, char(wire::kEnd));
            return PtyPeer::Answer::with(reply);
        });
        const auto got = r.ex.ReadMemory(wire::kFirmwareAddress, wire::kFirmwareLength, 50);
        QVERIFY(got);
        QCOMPARE(*got, data);
        QVERIFY(!r.ex.transferError());
    }

    void erasedFirmwareBehindAHeaderThatNeedsEscapes() {
        // The header is the sign's to choose: escapes in it move the data on the wire.
        Rig r;
        r.peer.setScript([](const QByteArray&, int) {
            const QByteArray header = hex("1B 03 1B 03 00 11 22 33 44 55 66 77 88 99");
            return PtyPeer::Answer::with(
                wire::stuff(header + QByteArray(12, char(0xFF)) + hex("03 1B")) + char(wire::kEnd));
        });
        QCOMPARE(ReadFirmwareId(r.ex), msg::firmwareOld);
    }

    void replyPastItsBufferFails() {
        Rig r;
        r.peer.answerAll(QByteArray(120, 'A') + char(wire::kEnd));
        const auto got = r.ex.ReadMemory(wire::kFirmwareAddress, wire::kFirmwareLength, 50);
        QVERIFY(!got);
        QVERIFY(r.ex.transferError());
        QCOMPARE(r.seam.shown, kTransmitError);
        QCOMPARE(r.seam.status(), msg::statusReady);
        QCOMPARE(r.seam.progress, 0);

        r.ex.setTransferError(false);
        QVERIFY(r.ex.SendRequest(wire::kFirmwareAddress, 12, wire::Read));
        QByteArray reply;
        QVERIFY(!r.ex.ReadReply(reply, 50));
        QVERIFY(reply.isEmpty());
    }

    void replyTooShortForTheData() {
        Rig r;
        // A well-formed reply, but with 4 data bytes where 12 were asked for.
        r.peer.setScript([](const QByteArray& f, int) {
            return PtyPeer::Answer::with(wire::replyFrame(parsed(f).sequence, 0, "POCS"));
        });
        QVERIFY(!r.ex.ReadMemory(wire::kFirmwareAddress, wire::kFirmwareLength, 50));
        QVERIFY(r.ex.transferError());
        QCOMPARE(r.seam.shown, kTransmitError);
    }

    void replyTimeOut() {
        Rig r;
        r.seam.progress = 99;
        // Half a reply, then silence.
        r.peer.answerAll(wire::replyFrame(0x81, 0, QByteArray(20, 'x')).left(18));
        QVERIFY(!r.ex.ReadMemory(wire::kFirmwareAddress, 20, 50));
        QVERIFY(r.ex.transferError());
        QCOMPARE(r.seam.shown, kTransmitError);
        QCOMPARE(r.seam.status(), msg::statusReady);
        QCOMPARE(r.seam.progress, 0);
    }

    void passThroughWithAndWithoutDisplay() {
        Rig r;
        const QByteArray display = wire::displayFrame(
            r.ex.sequence(), 34, 0x41, QDateTime(QDate(2024, 1, 2), QTime(3, 4)), "MKLEDDEFAULT");
        r.peer.answerAll(kPositive);
        QVERIFY(r.ex.SendToDisplay(display));
        QVERIFY(!r.ex.transferError());
        const wire::DeviceFrame f = parsed(r.peer.frames().value(0));
        QCOMPARE(int(f.command), int(wire::PassThrough));
        QCOMPARE(f.address, 0u);
        QCOMPARE(f.data, display);

        r.peer.setScript([](const QByteArray&, int) { return PtyPeer::Answer::silent(); });
        r.ex.timing().passPolls = 50;
        QVERIFY(!r.ex.SendToDisplay(display));
        QVERIFY(r.ex.transferError());
        QVERIFY(r.seam.shown.isEmpty());
        QVERIFY(r.seam.statuses.isEmpty());

        r.ex.setTransferError(false);
        r.peer.answerAll(hex("02 15 00 00"));
        QVERIFY(!r.ex.SendToDisplay(display));
        QVERIFY(r.ex.transferError());
        QVERIFY(r.seam.shown.isEmpty());
    }

    void clockStaysSilentWithoutDisplay() {
        Rig r;
        r.peer.answerAll(kPositive);
        r.peer.send("xyz");
        QVERIFY(r.port.WaitForData(5000));
        r.ex.setDisplayReachable(false);
        r.ex.SendClock(wire::StageConnected);
        QCOMPARE(int(r.ex.sequence()), 128);
        QCOMPARE(r.port.BytesWaiting(), 3u); // not purged
        r.port.Purge();
        // The line carried nothing before this frame.
        QVERIFY(r.ex.SendRequest(0, 0, wire::Link));
        QCOMPARE(r.peer.frames().size(), 1);
        QCOMPARE(int(parsed(r.peer.frames()[0]).command), int(wire::Link));
    }

    void clockFrameAndTheFlagItLeavesAlone() {
        Rig r;
        r.ex.setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7)); });
        r.ex.setDisplayReachable(true);
        r.peer.answerAll(kPositive);
        QVERIFY(r.ex.SendRequest(0, 0, wire::Link)); // sequence 129
        r.ex.SendClock(wire::StageBeforeRead);
        QVERIFY(!r.ex.transferError());
        const wire::DeviceFrame f = parsed(r.peer.frames().value(1));
        QCOMPARE(int(f.sequence), 130);
        QCOMPARE(f.dataLength, quint16(22));
        QCOMPARE(f.data, hex("02 81 21 62 23 25 2E 27 00 08 02 FD 05 00 00 0A 00 83 1B FC 3C 03"));

        // A failed clock frame is no transfer error, and a standing one stays.
        r.ex.timing().passPolls = 20;
        r.peer.answerAll(hex("02 15 00 00"));
        r.ex.SendClock(wire::StageEnd);
        QVERIFY(!r.ex.transferError());
        r.peer.setScript([](const QByteArray&, int) { return PtyPeer::Answer::silent(); });
        r.ex.SendClock(wire::StageEnd);
        QVERIFY(!r.ex.transferError());
        r.ex.setTransferError(true);
        r.peer.answerAll(kPositive);
        r.ex.SendClock(wire::StageEnd);
        QVERIFY(r.ex.transferError());
        QVERIFY(r.seam.shown.isEmpty());
    }

    void deviceVanishesMidExchange() {
        Rig r;
        r.peer.setScript([](const QByteArray&, int) { return PtyPeer::Answer::vanish(); });
        QVERIFY(!r.ex.SendRequest(0, 0, wire::Link));
        QVERIFY(r.ex.transferError());
        QVERIFY(!r.port.isOpen());
    }

    void deviceVanishesMidReply() {
        Rig r;
        r.peer.setScript([](const QByteArray& f, int) {
            PtyPeer::Answer a = PtyPeer::Answer::vanish();
            a.bytes = wire::replyFrame(parsed(f).sequence, 0, QByteArray(100, 'x')).left(40);
            return a;
        });
        QVERIFY(!r.ex.ReadMemory(wire::bankBase(0), 100, 10000));
        QVERIFY(r.ex.transferError());
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.seam.shown, kTransmitError);
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
