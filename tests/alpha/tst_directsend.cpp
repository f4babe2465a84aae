// Direct Send: the display frame of an alpha message byte for byte on a scripted line, what
// is refused before anything is sent, and the message against the simulated sign.
#include "PtyPeer.h"
#include "SimulatedSign.h"
#include "alpha/DirectSend.h"
#include "core/Messages.h"

namespace {

wire::DeviceFrame parsed(const QByteArray& onWire) {
    const auto f = wire::parseDeviceFrame(wire::unstuff(onWire.chopped(1)));
    return f ? *f : wire::DeviceFrame{};
}

QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

// 7 March, 14:05.
const QDateTime kWhen(QDate(2026, 3, 7), QTime(14, 5));

struct LineRig {
    PtyPeer peer;
    TCommPort port;
    ScriptedSeam seam;
    Exchange ex{port, seam};
    LinkState link;
    alpha::DirectSend send{ex, link};
    bool nakDisplay = false;

    LineRig() {
        useTestTiming(ex);
        ex.setClock([] { return kWhen; });
        send.pauseMs = 0;
        link.portName = peer.path();
        peer.setScript([this](const QByteArray& f, int) {
            const wire::DeviceFrame d = parsed(f);
            const bool carriesText = d.command == wire::PassThrough && d.data.size() > 1;
            return PtyPeer::Answer::with(
                wire::acknowledgement(d.sequence, !(carriesText && nakDisplay)));
        });
    }

    // The pass-through frames that carried more than the link's lone probe byte.
    QList<wire::DeviceFrame> textFrames() const {
        QList<wire::DeviceFrame> out;
        for (const QByteArray& f : peer.frames()) {
            const wire::DeviceFrame d = parsed(f);
            if (d.command == wire::PassThrough && d.data.size() > 1)
                out << d;
        }
        return out;
    }
    // The one display frame sent, unstuffed, end byte removed.
    QByteArray displayFrame() const {
        const auto frames = textFrames();
        if (frames.size() != 1)
            return {};
        const QByteArray stuffed = frames.first().data;
        return stuffed.endsWith(char(wire::kEnd)) ? wire::unstuff(stuffed.chopped(1))
                                                  : QByteArray();
    }
    std::optional<wire::DisplayFrame> display() const {
        return wire::parseDisplayFrame(displayFrame());
    }
};

alpha::Message message(const QString& text, const QString& id = QStringLiteral("0"),
                       alpha::Form form = alpha::Form::Text7, bool russian = false) {
    alpha::Message m;
    m.id = id;
    m.text = text;
    m.form = form;
    m.russian = russian;
    return m;
}

} // namespace

class TestDirectSend : public QObject {
    Q_OBJECT

  private slots:
    void alphaGoesOutAsOneDisplayFrameByteForByte() {
        LineRig r;
        QVERIFY(r.peer.ok());
        QVERIFY(r.send.run(message(QStringLiteral("Alpha"))));
        QCOMPARE(r.seam.shown, QStringList{QStringLiteral("message: Send Success!")});
        const auto carriers = r.textFrames();
        QCOMPARE(carriers.size(), 1);
        QCOMPARE(carriers[0].address, 0u);
        // The display frame carries the sequence number before the pass-through advanced it.
        const quint8 seq = quint8(carriers[0].sequence - 1);
        QByteArray expected = QByteArray(1, char(0x02)) + char(seq) + bytes("21612327") +
                              bytes("2e250005") + QByteArray("Alpha");
        const quint16 sum = wire::sum16(expected);
        expected += char(sum >> 8);
        expected += char(sum & 0xFF);
        QCOMPARE(r.displayFrame().toHex(' '), expected.toHex(' '));
        // The port stays open for the next operation to reopen; the bar is back at 0.
        QVERIFY(r.port.isOpen());
        QCOMPARE(r.seam.progress, 0);
    }

    void messageIdBecomesTheClassByteModulo256_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("classByte");
        QTest::newRow("0") << "0" << 0x21;
        QTest::newRow("222") << "222" << 0xFF;
        QTest::newRow("223 wraps") << "223" << 0x00;
        QTest::newRow("-1") << "-1" << 0x20;
        QTest::newRow("+5") << "+5" << 0x26;
    }
    void messageIdBecomesTheClassByteModulo256() {
        QFETCH(QString, id);
        QFETCH(int, classByte);
        LineRig r;
        QVERIFY(r.send.run(message(QStringLiteral("Alpha"), id)));
        const auto d = r.display();
        QVERIFY(d);
        QCOMPARE(int(d->classByte), classByte);
        QVERIFY(d->sumOk);
    }

    void russianChangesOnlyTheCodeAndTheSum() {
        LineRig normal;
        LineRig russian;
        QVERIFY(normal.send.run(message(QStringLiteral("Alpha"))));
        QVERIFY(russian.send.run(
            message(QStringLiteral("Alpha"), QStringLiteral("0"), alpha::Form::Text7, true)));
        const QByteArray a = normal.displayFrame();
        const QByteArray b = russian.displayFrame();
        QCOMPARE(a.size(), b.size());
        QList<int> differing;
        for (int i = 0; i < a.size(); ++i)
            if (a[i] != b[i])
                differing << i;
        const int sumHigh = int(a.size()) - 2;
        QCOMPARE(quint8(b[3]), quint8(0x72));
        QVERIFY(differing.contains(3));
        for (int i : differing)
            QVERIFY2(i == 3 || i >= sumHigh, qPrintable(QString::number(i)));
        QCOMPARE(wire::sum16(b, 0, sumHigh) - wire::sum16(a, 0, sumHigh), 0x72 - 0x61);
    }

    void dataByForm_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty text") << "" << 0 << QByteArray();
        QTest::newRow("two lines") << "A\r\nB" << 0 << bytes("410d0a42");
        QTest::newRow("hex sample") << "20212223" << 1 << bytes("20212223");
        QTest::newRow("odd digit alone") << "ABC" << 1 << bytes("ab0c");
        QTest::newRow("lower case") << "ff1b03" << 1 << bytes("ff1b03");
        QTest::newRow("empty hex") << "" << 1 << QByteArray();
        QTest::newRow("latin-1 byte") << QStringLiteral("\u00e9") << 0 << bytes("e9");
    }
    void dataByForm() {
        QFETCH(QString, text);
        QFETCH(int, form);
        QFETCH(QByteArray, data);
        LineRig r;
        QVERIFY(r.send.run(message(text, QStringLiteral("0"), alpha::Form(form))));
        const auto d = r.display();
        QVERIFY(d);
        QCOMPARE(d->data.toHex(' '), data.toHex(' '));
        const QByteArray raw = r.displayFrame();
        QCOMPARE(quint8(raw[8]) * 256 + quint8(raw[9]), int(data.size()));
        QVERIFY(d->sumOk);
    }

    // Refused after the link: the conversion error, nothing sent, the port left open.
    void refusedMessagesSendNothing_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("form");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("id not a number") << "1a" << 0 << "Alpha"
                                         << "error: '1a' is not a valid integer value";
        QTest::newRow("empty id") << "" << 0 << "Alpha"
                                  << "error: '' is not a valid integer value";
        QTest::newRow("grouped id") << "1,000" << 0 << "Alpha"
                                    << "error: '1,000' is not a valid integer value";
        QTest::newRow("blank in hex") << "0" << 1 << "2021 223"
                                      << "error: '0x 2' is not a valid integer value";
        QTest::newRow("line break in hex") << "0" << 1 << "20\r\n21"
                                           << "error: '0x\r\n' is not a valid integer value";
        QTest::newRow("odd bad digit") << "0" << 1 << "202G"
                                       << "error: '0x2G' is not a valid integer value";
        QTest::newRow("no byte for it")
            << "0" << 0 << QStringLiteral("\u0416")
            << QStringLiteral("error: ") + msg::alpha::noByteFor(QChar(0x0416));
    }
    void refusedMessagesSendNothing() {
        QFETCH(QString, id);
        QFETCH(int, form);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        LineRig r;
        QVERIFY(!r.send.run(message(text, id, alpha::Form(form))));
        QCOMPARE(r.seam.shown, QStringList{shown});
        QVERIFY(r.textFrames().isEmpty());
        QVERIFY(r.port.isOpen());
    }

    // The sign's 3000-byte frame buffer: 12 frame bytes and the end byte leave room for
    // about 2987 plain characters, half as many that are stuffed.
    void tooLongForTheSignsBuffer() {
        LineRig fits;
        QVERIFY(fits.send.run(message(QString(2980, QLatin1Char('x')))));
        QCOMPARE(fits.display()->data.size(), 2980);
        const QString tooLong = msg::signcmd::textTooLong(0, 0).left(30);
        LineRig over;
        QVERIFY(!over.send.run(message(QString(2990, QLatin1Char('x')))));
        QCOMPARE(over.seam.shown.size(), 1);
        QVERIFY(over.seam.shown[0].startsWith(QStringLiteral("message: ") + tooLong));
        QVERIFY(over.textFrames().isEmpty());
        LineRig stuffed;
        QVERIFY(!stuffed.send.run(message(QString(1500, QLatin1Char('\x1b')))));
        QVERIFY(stuffed.seam.shown.value(0).startsWith(QStringLiteral("message: ") + tooLong));
        QVERIFY(stuffed.textFrames().isEmpty());
    }

    void aRefusedFrameIsASendError() {
        LineRig r;
        r.nakDisplay = true;
        QVERIFY(!r.send.run(message(QStringLiteral("Alpha"))));
        QCOMPARE(r.seam.shown, QStringList{QStringLiteral("message: Send Error!")});
        QVERIFY(r.port.isOpen());
    }

    void noSignNoFrame() {
        LineRig r;
        r.peer.setScript([](const QByteArray&, int) { return PtyPeer::Answer::silent(); });
        QVERIFY(!r.send.run(message(QStringLiteral("Alpha"))));
        QCOMPARE(r.seam.shown, QStringList{QStringLiteral("message: ") + msg::boardNotFound});
        QVERIFY(r.textFrames().isEmpty());
        QVERIFY(!r.port.isOpen());
    }

    void oneSendAtATime() {
        LineRig r;
        Exchange::Hold busy(r.ex);
        QVERIFY(!r.send.run(message(QStringLiteral("Alpha"))));
        QVERIFY(r.peer.frames().isEmpty());
        QVERIFY(r.seam.shown.isEmpty());
    }

    void theSimulatedSignShowsTheText() {
        SignRig r;
        QVERIFY(r.start());
        alpha::DirectSend send(r.ex, r.link);
        send.pauseMs = 0;
        QVERIFY(send.run(message(QStringLiteral("hello\r\nworld"), QStringLiteral("5"))));
        QCOMPARE(r.seam.shown, QStringList{QStringLiteral("message: Send Success!")});
        QFile log(r.log);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(log.readAll());
        QVERIFY2(text.contains(QLatin1String("class 5 code 0x61")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("hex 68 65 6C 6C 6F 0D 0A 77 6F 72 6C 64")),
                 qPrintable(text));
        QVERIFY(!text.contains(QLatin1String("sum bad")));
    }
};

QTEST_GUILESS_MAIN(TestDirectSend)
#include "tst_directsend.moc"
