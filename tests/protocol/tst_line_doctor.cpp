// The line check against signs and lines we did not build: a sign that answers in its own
// words where the protocol leaves them to it, a line that spoils answers, a sign that stops
// answering. The sign is judged only on what came twice alike; the line takes the blame for
// the rest.
#include "PtyPeer.h"
#include "SimulatedSign.h"
#include "core/Messages.h"
#include "protocol/LineDoctor.h"

using namespace layout;

namespace {

QHash<QString, DoctorCheck> checksOf(const DoctorReport& report) {
    QHash<QString, DoctorCheck> byId;
    for (const DoctorCheck& c : report.checks)
        byId.insert(c.id, c);
    return byId;
}

QStringList idsWith(const DoctorReport& report, Verdict verdict) {
    QStringList ids;
    for (const DoctorCheck& c : report.checks)
        if (c.verdict == verdict)
            ids << c.id;
    return ids;
}

// A sign with answers of its own: acknowledgements whose other bytes are its business, replies
// whose header, sum and trailing bytes are not ours. spoil(read of bank 1, data) changes what
// a read of bank 1 brings, as a line would.
struct ForeignSign {
    PtyPeer peer;
    QByteArray banks[2];
    QByteArray firmware = QByteArrayLiteral("POCSAG  2.52");
    std::function<void(int, QByteArray&)> spoil;
    int bank1Reads = 0;

    ForeignSign() {
        banks[0] = banks[1] = ParamImage().sealForSending();
        peer.setScript([this](const QByteArray& frame, int) { return answer(frame); });
    }

    PtyPeer::Answer answer(const QByteArray& frame) {
        const auto f = wire::parseDeviceFrame(wire::unstuff(frame.chopped(1)));
        if (!f)
            return PtyPeer::Answer::silent();
        if (f->command != wire::Read)
            return PtyPeer::Answer::with(QByteArray::fromHex("02069A5C"));
        QByteArray data = f->address == wire::kFirmwareAddress ? firmware
                          : f->address == wire::bankBase(1)    ? banks[1]
                                                               : banks[0];
        data = data.left(f->dataLength);
        if (f->address == wire::bankBase(1) && spoil)
            spoil(bank1Reads++, data);
        // Fourteen header bytes and four trailing ones, none of them as our simulator has them.
        const QByteArray raw = QByteArray::fromHex("02AB0000FFEE11223344556677") + char(0x88) +
                               data + QByteArray::fromHex("DEADBEEF");
        return PtyPeer::Answer::with(wire::stuff(raw) + char(wire::kEnd));
    }

    DoctorReport check() {
        TCommPort port;
        ScriptedSeam seam;
        Exchange ex(port, seam);
        useTestTiming(ex);
        return LineDoctor(ex).run(peer.path());
    }
};

} // namespace

class TestLineDoctor : public QObject {
    Q_OBJECT

  private slots:
    // Read takes the data from byte 14 and looks at nothing else of a reply: so does the check.
    void aSignWithAnswersOfItsOwnPassesEveryCheck() {
        ForeignSign sign;
        QVERIFY(sign.peer.ok());
        const DoctorReport report = sign.check();
        QVERIFY2(report.passed(), qPrintable(report.text()));
        QCOMPARE(idsWith(report, Verdict::Passed),
                 (QStringList{"port", "access", "holders", "modemmanager", "link", "firmware",
                              "bank0", "bank1", "banks", "quality"}));
    }

    void aBankIsFailedOnlyOnACopyTwoReadsAgreeOn() {
        // Each read of bank 1 spoiled in its own place: no two agree, none passes.
        ForeignSign noisy;
        noisy.spoil = [](int read, QByteArray& data) {
            data[100 + read] = char(data[100 + read] ^ 1);
        };
        DoctorReport report = noisy.check();
        auto c = checksOf(report);
        QCOMPARE(c["bank1"].verdict, Verdict::NotJudged);
        QCOMPARE(c["bank1"].text, msg::doctor::notJudgedNoisy);
        QCOMPARE(c["banks"].verdict, Verdict::NotJudged);
        QCOMPARE(c["bank0"].verdict, Verdict::Passed);
        QCOMPARE(idsWith(report, Verdict::Failed), QStringList{"quality"});
        QVERIFY2(c["quality"].text.contains("no two of 2 reads of bank 1 agreed"),
                 qPrintable(c["quality"].text));
        QVERIFY(!report.passed());

        // The same damage twice is the sign's: the bank fails and the line passes.
        ForeignSign damaged;
        damaged.spoil = [](int, QByteArray& data) { data[100] = char(data[100] ^ 1); };
        report = damaged.check();
        c = checksOf(report);
        QCOMPARE(c["bank1"].verdict, Verdict::Failed);
        QCOMPARE(c["quality"].verdict, Verdict::Passed);

        // One read spoiled, one whole: the bank passes on the whole one, the line fails.
        ForeignSign once;
        once.spoil = [](int read, QByteArray& data) {
            if (read == 0)
                data[7] = char(data[7] ^ 0x10);
        };
        report = once.check();
        c = checksOf(report);
        QCOMPARE(c["bank1"].verdict, Verdict::Passed);
        QCOMPARE(c["quality"].text, QStringLiteral("1 of 2 reads of bank 1 differed in 1 byte"));
    }

    // Stray bytes ahead of a reply push its data back; two replies pushed back alike agree
    // with each other, not with the sign.
    void repliesPushedBackAlikeAreNotTheSign() {
        ForeignSign sign;
        QList<int> strays{0, 2, 2}; // bank 0's three reads
        int reads0 = 0;
        sign.peer.setScript([&](const QByteArray& frame, int) {
            PtyPeer::Answer a = sign.answer(frame);
            const auto f = wire::parseDeviceFrame(wire::unstuff(frame.chopped(1)));
            if (f && f->command == wire::Read && f->address == wire::bankBase(0))
                a.bytes.prepend(QByteArray(strays.value(reads0++), char(0x5A)));
            return a;
        });
        for (const QByteArray& bank : {ParamImage().sealForSending(), QByteArray(kBankSize, 'x')}) {
            sign.banks[0] = bank;
            reads0 = 0;
            const DoctorReport report = sign.check();
            const auto c = checksOf(report);
            QCOMPARE(c["bank0"].verdict, bankValid(bank) ? Verdict::Passed : Verdict::Failed);
            QCOMPARE(c["quality"].text, QStringLiteral("4 stray bytes"));
        }
    }

    // The simulator's noisy line, seed after seed, with stray bytes and with flipped bits:
    // never a bank blamed, always the line. (At half the answers hit, every seed's noise
    // lands where a read can see it.)
    void aNoisyLineFailsOnlyLineQuality() {
        for (const char* kind : {"strays", "flips"})
            for (int seed = 1; seed <= 20; ++seed) {
                SignRig rig;
                QVERIFY(rig.start(
                    {"--noise-kind", kind, "--noise-rate", "50", "--seed", QString::number(seed)}));
                const DoctorReport report = LineDoctor(rig.ex).run(rig.sim.device());
                QVERIFY2(idsWith(report, Verdict::Failed) == QStringList{"quality"},
                         qPrintable(QStringLiteral("%1, seed %2:\n").arg(kind).arg(seed) +
                                    report.text()));
            }
    }

    void aSignThatStopsAnsweringSaysSo() {
        // Frames: link, probe, link, then the reads.
        for (const int dieAfter : {4, 8}) {
            SignRig rig;
            QVERIFY(rig.start({"--die-after", QString::number(dieAfter)}));
            const DoctorReport report = LineDoctor(rig.ex).run(rig.sim.device());
            const auto c = checksOf(report);
            QCOMPARE(c["bank1"].verdict, Verdict::NotJudged);
            QCOMPARE(c["bank1"].text, msg::doctor::notJudgedSilent);
            QCOMPARE(c["quality"].fix, msg::doctor::fixSilent);
            QVERIFY2(c["quality"].text.startsWith(dieAfter == 4 ? "no answer since the link"
                                                                : "the sign stopped answering"),
                     qPrintable(c["quality"].text));
        }
    }
};

QTEST_GUILESS_MAIN(TestLineDoctor)
#include "tst_line_doctor.moc"
