#include "SimSign.h"
#include "image/ImageLayout.h"
#include "image/ParamImage.h"
#include "protocol/Frames.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace wire;

namespace {

const QByteArray kPositive = QByteArray::fromHex("0206");
const QByteArray kNegative = QByteArray::fromHex("0215");
constexpr int kSilenceMs = 300;

QByteArray stateBytes(const QString& path, quint32 address, int count) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() != 0x100000)
        return {};
    return f.readAll().mid(address, count);
}

// Data that needs stuffing in several places.
QByteArray awkwardData(int n) {
    QByteArray d;
    for (int i = 0; i < n; ++i)
        d.append(char(i % 7 == 0 ? kEnd : i % 11 == 0 ? kEscape : (i * 37) & 0xFF));
    return d;
}

} // namespace

class TestSimSign : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString state(const char* name) const { return dir_.filePath(QLatin1String(name)); }

  private slots:
    void linkAndDisplayProbe_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("probeAnswered");
        QTest::newRow("display") << QStringList{} << true;
        QTest::newRow("no display") << QStringList{"--no-display"} << false;
        QTest::newRow("paced") << QStringList{"--pace", "115200"} << true;
    }
    void linkAndDisplayProbe() {
        QFETCH(QStringList, args);
        QFETCH(bool, probeAnswered);
        SimSign sign(args);
        QVERIFY(sign.start());
        QCOMPARE(sign.ask(Link, 0), QByteArray::fromHex("02068100"));
        sign.send(sign.request(PassThrough, 0, 1, QByteArray(1, char(kEnd))));
        const QByteArray probe = sign.receive(kAckLength, kSilenceMs);
        QCOMPARE(probe, probeAnswered ? QByteArray::fromHex("02068200") : QByteArray());
        QCOMPARE(sign.ask(Link, 0), QByteArray::fromHex("02068300"));
    }

    void writeReadAndEraseMemory() {
        SimSign sign({"--state", state("rw.bin")});
        QVERIFY(sign.start());
        const QByteArray data = awkwardData(kWriteChunk);
        // Flash takes a write only over erased cells.
        QCOMPARE(sign.ask(Erase, bankBase(0)).left(2), kPositive);
        QCOMPARE(sign.ask(Write, bankBase(0), quint16(data.size()), data).left(2), kPositive);
        QCOMPARE(sign.ask(Write, 0x8FFFF, 2, "\x11\x22").left(2), kPositive);

        // The programmer closes and reopens its port between operations.
        QVERIFY(sign.reopen());
        sign.send(sign.request(Read, bankBase(0), quint16(data.size())));
        const QByteArray raw = sign.receiveReply();
        QCOMPARE(raw.indexOf(char(kEnd)), raw.size() - 1);
        const QByteArray reply = unstuff(raw.chopped(1));
        QCOMPARE(reply.size(), kReplyDataOffset + data.size() + 2);
        QCOMPARE(quint8(reply[0]), kStart);
        QCOMPARE(quint8(reply[1]), sign.sequence());
        QCOMPARE(reply.mid(4, 2), QByteArray::fromHex("12ED"));
        QCOMPARE(reply.mid(6, 6), QByteArray::fromHex("008008FF7FF7"));
        QCOMPARE(quint8(reply[12]) + 256 * quint8(reply[13]), int(data.size()));
        QCOMPARE(reply.mid(kReplyDataOffset, data.size()), data);
        const qsizetype end = kReplyDataOffset + data.size();
        QCOMPARE(quint8(reply[end]) + 256 * quint8(reply[end + 1]), int(sum16(reply, 0, end)));
        QCOMPARE(stateBytes(state("rw.bin"), bankBase(0), int(data.size())), data);

        // An erase clears the 32 KiB sector it names, not the next one.
        QCOMPARE(sign.ask(Erase, 0x90000).left(2), kPositive);
        QCOMPARE(sign.read(0x8FFFF, 2), QByteArray::fromHex("11FF"));
        QCOMPARE(sign.ask(Erase, bankBase(0)).left(2), kPositive);
        QCOMPARE(sign.read(bankBase(0), 4100), QByteArray(4100, char(0xFF)));
        QCOMPARE(sign.read(0x8FFFF, 2), QByteArray::fromHex("FFFF"));
        QCOMPARE(stateBytes(state("rw.bin"), 0x88000, 0x10000), QByteArray(0x10000, char(0xFF)));

        // Nothing may be written past the end of the memory; reads there see erased flash.
        QCOMPARE(sign.ask(Write, 0xFFFFF, 2, "ab").left(2), kNegative);
        QCOMPARE(sign.read(0xFFFFE, 4), QByteArray(4, char(0xFF)));
        QVERIFY(sign.stop());
    }

    void memorySurvivesRestart() {
        const QString file = state("keep.bin");
        const QByteArray data = awkwardData(100);
        {
            SimSign sign({"--state", file, "--init", "erased"});
            QVERIFY(sign.start());
            QCOMPARE(sign.ask(Write, bankBase(1), 100, data).left(2), kPositive);
            QVERIFY(sign.stop());
        }
        SimSign again({"--state", file});
        QVERIFY(again.start());
        QCOMPARE(again.read(bankBase(1), 100), data);
        QCOMPARE(again.read(bankBase(0), 4100), QByteArray(4100, char(0xFF)));
        QVERIFY(again.stop());
    }

    void preparedImages_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("bank0Valid");
        QTest::addColumn<bool>("bank1Valid");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("readPassword");
        const int full = int(ImageKind::Full);
        QTest::newRow("new state") << QStringList{} << true << true << full << QByteArray();
        QTest::newRow("default") << QStringList{"--init", "default"} << true << true << full
                                 << QByteArray();
        QTest::newRow("erased") << QStringList{"--init", "erased"} << false << false
                                << int(ImageKind::Refused) << QByteArray();
        QTest::newRow("bank0-bad")
            << QStringList{"--init", "bank0-bad"} << false << true << full << QByteArray();
        QTest::newRow("bank1-bad")
            << QStringList{"--init", "bank1-bad"} << true << false << full << QByteArray();
        QTest::newRow("pager") << QStringList{"--init", "pager"} << true << true
                               << int(ImageKind::Pager) << QByteArray();
        QTest::newRow("foreign") << QStringList{"--init", "foreign"} << true << true
                                 << int(ImageKind::Refused) << QByteArray();
        QTest::newRow("read password") << QStringList{"--init=read-password=Sesame1234"} << true
                                       << true << full << QByteArray("Sesame1234");
    }
    void preparedImages() {
        QFETCH(QStringList, args);
        QFETCH(bool, bank0Valid);
        QFETCH(bool, bank1Valid);
        QFETCH(int, kind);
        QFETCH(QByteArray, readPassword);
        SimSign sign(QStringList{"--state", state(QTest::currentDataTag())} + args);
        QVERIFY(sign.start());
        const bool expected[2] = {bank0Valid, bank1Valid};
        for (int b = 0; b < 2; ++b) {
            const QByteArray tail = sign.read(bankTail(b), 6);
            QCOMPARE(tail.size(), 6);
            QCOMPARE(bankTailValid(reinterpret_cast<const quint8*>(tail.constData())), expected[b]);
            const QByteArray bank = sign.read(bankBase(b), layout::kBankSize);
            QCOMPARE(bankSumValid(bank), expected[b]);
            if (expected[b]) {
                QCOMPARE(int(classifyImage(bank)), kind);
                QCOMPARE(bank.mid(layout::kReadPassword, readPassword.size() + 1),
                         readPassword + '\0');
            }
        }
        if (kind == int(ImageKind::Pager)) {
            ParamImage image;
            mergeCoreSettings(image, sign.read(bankBase(0), layout::kBankSize));
            QCOMPARE(image.capcode(0), quint32(1111111));
            QCOMPARE(image.text(layout::kAirPassword, 10), QStringLiteral("0005550142"));
        }
        if (QByteArray(QTest::currentDataTag()) == "default") {
            ParamImage image;
            QCOMPARE(sign.read(bankBase(1), layout::kBankSize), image.sealForSending());
        }
    }

    void firmwareIdentification_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("id");
        QTest::newRow("default") << QStringList{} << QByteArray("POCSAG  2.52");
        QTest::newRow("flex") << QStringList{"--firmware", "FLEX  3.10"}
                              << QByteArray("FLEX  3.10\0\0", 12);
        QTest::newRow("erased") << QStringList{"--firmware", "erased"}
                                << QByteArray(12, char(0xFF));
    }
    void firmwareIdentification() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, id);
        SimSign sign(args);
        QVERIFY(sign.start());
        QCOMPARE(sign.read(kFirmwareAddress, kFirmwareLength), id);
    }

    void badOptionsAreRefused() {
        for (const QStringList& args :
             {QStringList{"--init", "bogus"}, QStringList{"--init", "read-password=ELEVENCHARS"},
              QStringList{"--firmware", "THIRTEEN CHAR"}, QStringList{"--nak", "0"},
              QStringList{"--pace", "fast"}, QStringList{"--noise-rate", "101"},
              QStringList{"--noise-kind", "bits"}}) {
            QProcess p;
            p.start(QStringLiteral(LEDSIGN_SIM_PATH), args);
            QVERIFY(p.waitForFinished(5000));
            QCOMPARE(p.exitCode(), 2);
            QVERIFY(p.readAllStandardOutput().isEmpty());
        }
    }

    void negativeAcknowledgementRefusesTheFrame() {
        const QString file = state("nak.bin");
        SimSign sign({"--state", file, "--init", "erased", "--nak", "2,4"});
        QVERIFY(sign.start());
        QCOMPARE(sign.ask(Link, 0).left(2), kPositive);
        QCOMPARE(sign.ask(Write, bankBase(0), 3, "abc"), QByteArray::fromHex("02158200"));
        QCOMPARE(sign.ask(Link, 0).left(2), kPositive);
        QCOMPARE(sign.ask(Link, 0).left(2), kNegative);
        QCOMPARE(sign.read(bankBase(0), 3), QByteArray(3, char(0xFF)));
        QCOMPARE(stateBytes(file, bankBase(0), 3), QByteArray(3, char(0xFF)));
    }

    void powerCutAfterFrame() {
        const QString file = state("die.bin");
        SimSign sign({"--state", file, "--init", "erased", "--die-after", "2"});
        QVERIFY(sign.start());
        QCOMPARE(sign.ask(Link, 0).left(2), kPositive);
        sign.send(sign.request(Write, bankBase(0), 3, "xyz"));
        QVERIFY(sign.process().waitForFinished(3000));
        QCOMPARE(sign.process().exitCode(), 0);
        QCOMPARE(sign.listen(100), QByteArray());
        QCOMPARE(stateBytes(file, bankBase(0), 3), QByteArray("xyz"));
    }

    void unreadableFramesGetNoAnswer() {
        SimSign sign({});
        QVERIFY(sign.start());
        const auto corrupt = [&](int at, quint8 value) {
            QByteArray raw = unstuff(sign.request(Link, 0, 0).chopped(1));
            raw[at] = char(value);
            return stuff(raw) + char(kEnd);
        };
        sign.send(corrupt(24, 0x00)); // sum
        sign.send(corrupt(5, 0xE8));  // command complement
        QByteArray signature = unstuff(sign.request(Link, 0, 0).chopped(1));
        signature.replace(6, 10, "Marovelkim");
        const quint16 s = sum16(signature, 0, 24);
        signature[24] = char(s & 0xFF);
        signature[25] = char(s >> 8);
        sign.send(stuff(signature) + char(kEnd)); // signature, sum fixed
        QCOMPARE(sign.listen(kSilenceMs), QByteArray());

        // Line noise before a good frame is skipped.
        sign.send(QByteArray::fromHex("FF0055") + sign.request(Link, 0));
        QCOMPARE(sign.receive(kAckLength).left(2), kPositive);
    }

    void strayEndByteInReplies() {
        SimSign sign({"--stray-etx"});
        QVERIFY(sign.start());
        sign.send(sign.request(Read, kFirmwareAddress, kFirmwareLength));
        QByteArray raw = sign.receiveReply();
        const qsizetype stray = raw.indexOf(char(kEnd));
        QVERIFY(stray >= 0 && stray < kReplyMinimum);
        QVERIFY(raw.endsWith(char(kEnd)));
        raw.remove(stray, 1);
        QCOMPARE(raw, replyFrame(sign.sequence(), kFirmwareAddress, "POCSAG  2.52"));
    }

    void noiseIsRepeatable() {
        QByteArray streams[2];
        for (QByteArray& stream : streams) {
            SimSign sign({"--noise", "--seed", "7"});
            QVERIFY(sign.start());
            for (int i = 0; i < 24; ++i) {
                sign.send(sign.request(Link, 0));
                const QByteArray ack = acknowledgement(sign.sequence(), true);
                const QByteArray got = sign.receiveEndingWith(ack);
                // Stray bytes come before the answer and never look like its start.
                QVERIFY(got.endsWith(ack));
                QVERIFY(!got.chopped(kAckLength).contains(char(kStart)));
                stream += got;
            }
        }
        QVERIFY(streams[0].size() > 24 * kAckLength);
        QCOMPARE(streams[0], streams[1]);
    }

    void noiseRateAndKind() {
        const QByteArray clean = replyFrame(129, kFirmwareAddress, "POCSAG  2.52");
        for (const char* rate : {"0", "100"}) {
            SimSign sign({"--noise-rate", rate});
            QVERIFY(sign.start());
            for (int i = 0; i < 6; ++i) {
                sign.send(sign.request(Link, 0));
                const QByteArray got =
                    sign.receiveEndingWith(acknowledgement(sign.sequence(), true));
                QCOMPARE(got.size() > kAckLength, QByteArray(rate) == "100");
            }
        }
        // Flips spare acknowledgements and change one bit of every reply frame.
        SimSign sign({"--noise-kind", "flips", "--noise-rate", "100", "--seed", "5"});
        QVERIFY(sign.start());
        for (int i = 0; i < 6; ++i) {
            sign.send(sign.request(Read, kFirmwareAddress, kFirmwareLength));
            const QByteArray expected =
                replyFrame(sign.sequence(), kFirmwareAddress, "POCSAG  2.52");
            const QByteArray got = sign.receive(clean.size());
            QCOMPARE(got.size(), expected.size());
            QVERIFY(got.endsWith(char(kEnd)));
            int bits = 0;
            for (qsizetype k = 0; k < got.size(); ++k)
                bits += qPopulationCount(quint8(got[k] ^ expected[k]));
            QCOMPARE(bits, 1);
            const QByteArray ack = sign.ask(Link, 0);
            QCOMPARE(ack, acknowledgement(sign.sequence(), true));
        }
    }

    void foreignAnswersVaryAllTheProgrammerIgnores() {
        // Frame 3 is refused.
        SimSign sign({"--foreign", "--seed", "3", "--nak", "3", "--state", state("foreign.bin")});
        QVERIFY(sign.start());
        QSet<QByteArray> others, headers;
        QSet<qsizetype> trailers;
        bool stuffedHeader = false;
        for (int i = 1; i <= 24; ++i) {
            const QByteArray ack = sign.ask(Link, 0);
            QCOMPARE(ack.size(), kAckLength);
            QCOMPARE(quint8(ack[1]) == kAck, i != 2);
            others << ack.left(1) + ack.mid(2);

            sign.send(sign.request(Read, bankTail(1), 6));
            const QByteArray raw = sign.receiveReply();
            QCOMPARE(raw.indexOf(char(kEnd)), raw.size() - 1);
            const QByteArray reply = unstuff(raw.chopped(1));
            QCOMPARE(reply.mid(kReplyDataOffset, 6),
                     stateBytes(state("foreign.bin"), bankTail(1), 6));
            headers << reply.left(kReplyDataOffset);
            trailers << reply.size() - kReplyDataOffset - 6;
            stuffedHeader |= stuff(reply.left(kReplyDataOffset)).size() > kReplyDataOffset;
        }
        QVERIFY(others.size() > 20);
        QCOMPARE(headers.size(), 24);
        QCOMPARE(trailers, (QSet<qsizetype>{0, 1, 2, 3}));
        QVERIFY(stuffedHeader);
    }

    void logCountsTheLineAndDecodesDisplayFrames() {
        const QString logFile = state("traffic.log");
        SimSign sign({"--log", logFile});
        QVERIFY(sign.start());
        qsizetype sent = 0, received = 0;
        QByteArray frame = sign.request(Link, 0);
        sign.send(frame);
        sent += frame.size();
        received += sign.receive(kAckLength).size();
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 7));
        const QByteArray display = displayFrame(sign.sequence(), 33, 0x61, when, "MK%1\x03");
        frame = sign.request(PassThrough, 0, quint16(display.size()), display);
        sign.send(frame);
        sent += frame.size();
        received += sign.receive(kAckLength).size();
        frame = sign.request(Read, bankBase(0), 4100);
        sign.send(QByteArray("\x55\x55") + frame);
        sent += 2 + frame.size();
        received += sign.receiveReply().size();
        QVERIFY(sign.stop());

        QFile f(logFile);
        QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
        qsizetype in = 0, out = 0;
        for (const QString& line : lines) {
            const QStringList w = line.split(' ');
            if (w.size() > 2 && w[2] == QLatin1String("bytes") && w[0] == QLatin1String("in"))
                in += w[1].toInt();
            if (w.size() > 2 && w[2] == QLatin1String("bytes") && w[0] == QLatin1String("out"))
                out += w[1].toInt();
        }
        QCOMPARE(in, sent);
        QCOMPARE(out, received);
        QCOMPARE(lines.last(), QStringLiteral("total in=%1 out=%2").arg(sent).arg(received));
        const QString shown = QStringLiteral("display seq %1").arg(quint8(sign.sequence() - 2)) +
                              QStringLiteral(" class 0 code 0x61 'a' date 03-05 time 14:07 len 5 "
                                             "sum ok text \"MK%1\\x03\" hex 4D 4B 25 31 03");
        QVERIFY(lines.contains(shown));
        QVERIFY(lines.contains(QStringLiteral("in 2 bytes skipped: 55 55")));
        // Without --show the text does not reach stdout.
        QVERIFY(!QString::fromLocal8Bit(sign.process().readAllStandardOutput()).contains("MK%1"));
    }

    void showPrintsEachDisplayTextAlone() {
        SimSign sign({"--show"});
        QVERIFY(sign.start());
        QCOMPARE(sign.ask(Link, 0).left(2), kPositive);
        const QDateTime when = QDateTime::currentDateTime();
        for (const QByteArray& text : {QByteArray("MKLEDDEFAULT"), QByteArray("MKLEDTM=ON")}) {
            const QByteArray display = displayFrame(sign.sequence(), 33, 0x61, when, text);
            QCOMPARE(sign.ask(PassThrough, 0, quint16(display.size()), display).left(2), kPositive);
        }
        const QByteArray clock = clockFrame(sign.sequence(), StageEnd, when);
        QCOMPARE(sign.ask(PassThrough, 0, quint16(clock.size()), clock).left(2), kPositive);
        QVERIFY(sign.stop());
        const QStringList lines = QString::fromLocal8Bit(sign.process().readAllStandardOutput())
                                      .split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.mid(lines.size() - 2), QStringList({"MKLEDDEFAULT", "MKLEDTM=ON"}));
        QVERIFY(!lines.join(' ').contains("display"));
    }

    void keepsAnsweringWhenNobodyReadsItsOutput() {
        SimSign sign({"--show"});
        QVERIFY(sign.start());
        // Each display frame is reported on stdout; far more than a pipe holds.
        const QByteArray text(400, 'A');
        for (int i = 0; i < 150; ++i) {
            const QByteArray display =
                displayFrame(sign.sequence(), 33, 0x61, QDateTime::currentDateTime(), text);
            QCOMPARE(sign.ask(PassThrough, 0, quint16(display.size()), display).left(2), kPositive);
        }
    }

    void endsWithItsInput() {
        SimSign piped({});
        QVERIFY(piped.start());
        piped.process().closeWriteChannel();
        QVERIFY(piped.process().waitForFinished(3000));
        QCOMPARE(piped.process().exitCode(), 0);

        // Started with stdin on /dev/null, as in the background of a script: keeps serving.
        SimSign background({});
        QVERIFY(background.start(QProcess::ManagedInputChannel, true));
        QVERIFY(!background.process().waitForFinished(kSilenceMs));
        QCOMPARE(background.ask(Link, 0).left(2), kPositive);
        QVERIFY(background.stop());
    }
};

QTEST_GUILESS_MAIN(TestSimSign)
#include "tst_simsign.moc"
