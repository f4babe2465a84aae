#include "PtyPeer.h"
#include "serial/TCommPort.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <functional>

namespace {

// The code an operation raises, or 0 when it raises nothing.
int codeOf(const std::function<void()>& op) {
    try {
        op();
    } catch (const ECommError& e) {
        return e.code;
    }
    return 0;
}

// Collects n bytes from the port, waiting for them without a fixed pause.
QByteArray readBytes(TCommPort& port, int n) {
    QByteArray got;
    for (int tries = 0; got.size() < n && tries < 200; ++tries) {
        port.WaitForData(50);
        while (got.size() < n && port.BytesWaiting() > 0)
            got.append(char(port.ReadByte()));
    }
    return got;
}

} // namespace

class TestCommPort : public QObject {
    Q_OBJECT

  private slots:
    void closedPortRefusesIo() {
        TCommPort port;
        const char byte = 0x55;
        QCOMPARE(codeOf([&] { port.Write(&byte, 1); }), 7);
        QCOMPARE(codeOf([&] { port.Write(nullptr, 0); }), 7);
        QCOMPARE(codeOf([&] { port.ReadByte(); }), 7);
        QCOMPARE(codeOf([&] { port.BytesWaiting(); }), 7);
        QCOMPARE(codeOf([&] { port.Purge(); }), 7);
        QVERIFY(!port.WaitForData(1));
        QCOMPARE(codeOf([&] { port.Close(); }), 0);
    }

    void absentDeviceCannotOpen() {
        TCommPort port;
        port.SetPortName(QStringLiteral("/dev/ledsign-no-such-port"));
        QCOMPARE(codeOf([&] { port.Open(); }), 8);
        QVERIFY(!port.isOpen());
    }

    void deviceThatIsNoSerialLine() {
        QTemporaryDir dir;
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        // A folder, a plain file, the user's own terminal, a device that is no terminal.
        for (const QString& name : {dir.path(), plain.fileName(), QStringLiteral("/dev/tty"),
                                    QStringLiteral("/dev/null")}) {
            TCommPort port;
            port.SetPortName(name);
            int code = 0, error = 0;
            try {
                port.Open();
            } catch (const ECommError& e) {
                code = e.code;
                error = int(e.systemError);
            }
            QCOMPARE(code, 14);
            QCOMPARE(error, ENOTTY);
            QVERIFY(!port.isOpen());
        }
    }

    void openAtSetsFramingAndOpens() {
        PtyPeer peer;
        QVERIFY(peer.ok());
        TCommPort port;
        port.OpenAt(19200, peer.path(), 0);
        QVERIFY(port.isOpen());
        QCOMPARE(port.baudRate(), 19200u);
        QCOMPARE(port.dataBits(), 7);
        QCOMPARE(port.parity(), 'E');
        QCOMPARE(port.stopBits(), 2);
        // Reopening from scratch, other framings.
        port.OpenAt(19200, peer.path(), 1);
        QVERIFY(port.isOpen());
        QCOMPARE(port.dataBits(), 8);
        QCOMPARE(port.parity(), 'N');
        QCOMPARE(port.stopBits(), 1);
        port.OpenAt(9600, peer.path(), 5);
        QCOMPARE(port.stopBits(), 2);
        QCOMPARE(port.baudRate(), 9600u);
        // Opening an open port changes nothing.
        QCOMPARE(codeOf([&] { port.Open(); }), 0);
        QVERIFY(port.isOpen());
        port.Close();
        QVERIFY(!port.isOpen());
    }

    void heldPortCannotBeOpenedTwice() {
        PtyPeer peer;
        QVERIFY(peer.ok());
        TCommPort first;
        first.OpenAt(19200, peer.path(), 1);
        TCommPort second;
        second.SetPortName(peer.path());
        QCOMPARE(codeOf([&] { second.Open(); }), 8);
        QVERIFY(!second.isOpen());
        // Once released, a later open succeeds.
        first.Close();
        QCOMPARE(codeOf([&] { second.OpenAt(19200, peer.path(), 1); }), 0);
        QVERIFY(second.isOpen());
    }

    void nameCannotChangeWhileOpen() {
        PtyPeer peer;
        QVERIFY(peer.ok());
        TCommPort port;
        port.OpenAt(19200, peer.path(), 1);
        QCOMPARE(codeOf([&] { port.SetPortName(QStringLiteral("COM2")); }), 6);
        QCOMPARE(port.portName(), peer.path());
        QVERIFY(port.isOpen());
    }

    void refusedBaudRateKeepsTheOldOne() {
        PtyPeer peer;
        QVERIFY(peer.ok());
        TCommPort port;
        port.OpenAt(19200, peer.path(), 1);
        QCOMPARE(codeOf([&] { port.SetBaudRate(0); }), 1);
        QCOMPARE(port.baudRate(), 19200u);
        QVERIFY(port.isOpen());
        port.SetBaudRate(9600);
        QCOMPARE(port.baudRate(), 9600u);
    }

    void bytesTravelBothWays() {
        PtyPeer peer;
        QVERIFY(peer.ok());
        peer.answerAll(QByteArray("\x02\x06\x81\x00", 4));
        TCommPort port;
        port.OpenAt(19200, peer.path(), 1);

        // Nothing written for an empty block.
        port.Write(nullptr, 5);
        port.Write("x", 0);
        const QByteArray frame("\x02\x1B\xFC\x00\xFF\x03", 6);
        port.Write(frame.constData(), frame.size());
        QVERIFY(peer.waitForFrames(1));
        QCOMPARE(peer.frames().first(), frame);

        QCOMPARE(readBytes(port, 4), QByteArray("\x02\x06\x81\x00", 4));
        QCOMPARE(port.BytesWaiting(), 0u);
    }

    void largeBlockIsHandedOverWhole() {
        PtyPeer peer;
        QVERIFY(peer.ok());
        TCommPort port;
        port.OpenAt(19200, peer.path(), 1);
        QByteArray block(9000, 'A');
        block.append(char(0x03));
        port.Write(block.constData(), block.size());
        QVERIFY(peer.waitForFrames(1));
        QCOMPARE(peer.frames().first().size(), block.size());
    }

    void waitReturnsWhenBytesArrive() {
        PtyPeer peer;
        QVERIFY(peer.ok());
        TCommPort port;
        port.OpenAt(19200, peer.path(), 1);
        QVERIFY(!port.WaitForData(5)); // nothing on the line
        peer.send("ok");
        QVERIFY(port.WaitForData(5000));
        QCOMPARE(readBytes(port, 2), QByteArray("ok"));
    }

    void purgeDiscardsReceivedBytes() {
        PtyPeer peer;
        QVERIFY(peer.ok());
        TCommPort port;
        port.OpenAt(19200, peer.path(), 1);
        peer.send("noise");
        QVERIFY(port.WaitForData(5000));
        port.Purge();
        QCOMPARE(port.BytesWaiting(), 0u);
        QVERIFY(!port.WaitForData(5));
    }

    void vanishedDeviceRaisesAndCloses() {
        auto peer = std::make_unique<PtyPeer>();
        QVERIFY(peer->ok());
        const QString path = peer->path();
        TCommPort port;
        port.OpenAt(19200, path, 1);
        peer.reset(); // the line is gone

        // Waiting does not spin on the dead line and gives up at once.
        QVERIFY(!port.WaitForData(5000));
        QCOMPARE(codeOf([&] { port.BytesWaiting(); }), 18);
        QVERIFY(!port.isOpen());
        QCOMPARE(codeOf([&] { port.BytesWaiting(); }), 7);
    }

    void vanishedDeviceFailsWriteAndRead() {
        auto peer = std::make_unique<PtyPeer>();
        QVERIFY(peer->ok());
        TCommPort port;
        port.OpenAt(19200, peer->path(), 1);
        peer.reset();
        const QByteArray frame(64, 'x');
        const int code = codeOf([&] {
            port.Write(frame.constData(), frame.size());
            port.BytesWaiting();
        });
        QVERIFY2(code == 9 || code == 18, qPrintable(QString::number(code)));
        QVERIFY(!port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestCommPort)
#include "tst_commport.moc"
