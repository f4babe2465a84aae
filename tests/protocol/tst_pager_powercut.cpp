// A power cut at any frame of a Write never costs the sign its parameters: a Read after the
// restart finds either the old or the new image, and never has to ask whether to trust it.
#include "SimulatedSign.h"
#include "core/Messages.h"

using namespace layout;

class TestPagerPowerCut : public QObject {
    Q_OBJECT

  private slots:
    void everyFrameOfAWrite_data() {
        QTest::addColumn<QString>("init");
        QTest::newRow("both banks valid: bank 1 first") << "default";
        QTest::newRow("only bank 1 valid: bank 0 first") << "bank0-bad";
    }
    void everyFrameOfAWrite() {
        QFETCH(QString, init);

        // A whole Write, to learn how many frames it takes and what it leaves.
        SignRig whole;
        QVERIFY(whole.start({"--init", init}));
        const QByteArray oldImage = whole.bank(1).left(kSummedBytes);
        whole.image.set(kSequentialLock, 42);
        whole.image.set(kAirPassword, 'X');
        QVERIFY(whole.ops.write());
        const QByteArray newImage = whole.image.toByteArray().left(kSummedBytes);
        QVERIFY(oldImage != newImage);
        const int frames = int(whole.traffic(QStringLiteral("frame")).size());
        QVERIFY(frames > 0);

        for (int cut = 1; cut <= frames; ++cut) {
            SignRig after;
            {
                SignRig rig;
                QVERIFY(rig.start({"--init", init, "--die-after", QString::number(cut)}));
                rig.image = whole.image;
                rig.ops.write();
                rig.sim.stop();
                QVERIFY(QFile::copy(rig.state, after.state));
            }
            // A Write cut off during its read-back ends as a difference, which leaves its port
            // open on the dead device; only once it is closed may the next sign reuse the
            // device number without finding the port held.
            QVERIFY(after.start());
            QVERIFY2(after.ops.read(), qPrintable(QStringLiteral("cut after frame %1: %2")
                                                      .arg(cut)
                                                      .arg(after.seam.shown.join(" | "))));
            QVERIFY2(!after.seam.shown.contains("question: " + msg::copyUnconfirmed),
                     qPrintable(QString::number(cut)));
            const QByteArray got = after.image.toByteArray().left(kSummedBytes);
            QVERIFY2(got == oldImage || got == newImage,
                     qPrintable(QStringLiteral("cut after frame %1").arg(cut)));
        }
    }
};

QTEST_GUILESS_MAIN(TestPagerPowerCut)
#include "tst_pager_powercut.moc"
