// The Connection dialog on the screen: choosing, connecting, cancelling.
#include "PtyPeer.h"
#include "SimulatedSign.h"
#include "core/Messages.h"
#include "protocol/ConnectionDialog.h"
#include "protocol/NetworkPortDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>

namespace {

struct DialogRig {
    QTemporaryDir dir;
    QString state = dir.filePath(QStringLiteral("sign.bin"));
    SimulatedSign sim;
    PtyPeer peer; // a line where nobody answers
    TCommPort port;
    ActingSeam seam;
    Exchange ex{port, seam};
    ParamImage image;
    LinkState link;
    RecordingHost host{image};
    TfrmConn dialog{ex, link, host};

    DialogRig() { useQuickLinkTiming(ex); }
};

} // namespace

class TestLinkDialog : public QObject {
    Q_OBJECT

  private slots:
    void choosingLooksAsExpected() {
        DialogRig r;
        QCOMPARE(r.dialog.objectName(), QStringLiteral("frmConn"));
        QCOMPARE(r.dialog.windowTitle(), msg::connectionCaption);
        QVERIFY(!(r.dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(r.dialog.Label93->text(), msg::selectPort);
        QCOMPARE(r.dialog.Button1->text(), msg::connectButton);
        QCOMPARE(r.dialog.Label2->text(), msg::rebootSign);
        r.dialog.fillPorts({{"/dev/ttyS4", "16550A UART"}, {"/dev/pts/9", ""}});
        QCOMPARE(r.dialog.cboComPort->count(), 2);
        QCOMPARE(r.dialog.cboComPort->currentIndex(), 0);
        QCOMPARE(r.dialog.chosenPort(), QStringLiteral("/dev/ttyS4"));
        r.dialog.show();
        QVERIFY(r.dialog.Panel1->isVisible());
        QVERIFY(!r.dialog.Label1->isVisible());
        QVERIFY(!r.dialog.Label2->isVisible());
        QVERIFY(!r.dialog.BitBtn1->isVisible());
        QCOMPARE(r.seam.progressMax, ConnectionAttempts::kProgressMax);
    }

    void testShowsTheLineCheckOfTheSelectedPort() {
        DialogRig r;
        useTestTiming(r.ex);
        QVERIFY(r.sim.start(r.state, {"--init", "bank0-bad"}));
        r.dialog.fillPorts({{r.sim.device(), ""}});
        r.dialog.show();
        QCOMPARE(r.dialog.btnTest->text(), QStringLiteral("Test"));
        r.dialog.btnTest->click();

        QDialog* report = r.dialog.testReport();
        QVERIFY(report && report->isVisible());
        auto* memo = report->findChild<QPlainTextEdit*>("memTestReport");
        const QString text = memo->toPlainText();
        QVERIFY2(text.contains("passed  Link: the sign answered at attempt 1") &&
                     text.contains("failed  Bank 0: not valid") &&
                     text.contains("passed  Line quality: 3 of 3 reads of bank 0"),
                 qPrintable(text));
        // The summary first; the advice of a failed check wraps instead of running off.
        const int checks = int(text.count(
            QRegularExpression("^(passed|failed)  ", QRegularExpression::MultilineOption)));
        const int failed =
            int(text.count(QRegularExpression("^failed  ", QRegularExpression::MultilineOption)));
        QVERIFY(failed >= 1);
        QCOMPARE(text.section('\n', 0, 0), msg::window::testSummary(failed, checks));
        QTRY_COMPARE(memo->horizontalScrollBar()->maximum(), 0);

        // Run again, the report grows one line per check while the checks run.
        QList<int> shownLines;
        connect(memo, &QPlainTextEdit::textChanged, memo,
                [&] { shownLines << memo->document()->blockCount(); });
        r.dialog.btnTest->click();
        QCOMPARE(memo->toPlainText().section('\n', 0, 0), msg::window::testSummary(failed, checks));
        // The first line, then one more per check, then the finished report.
        QVERIFY2(shownLines.size() >= checks + 1, qPrintable(QString::number(shownLines.size())));
        for (int i = 1; i <= checks; ++i)
            QCOMPARE(shownLines[i], i + 1);
        // Nothing to the person but the report; the line is left closed and free.
        QVERIFY(r.seam.shown.isEmpty());
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.ex.busy());
        QVERIFY(r.dialog.isVisible());
    }

    void thePortListFollowsAdaptersAndPrefersTheLastPort() {
        DialogRig r;
        QList<SerialPortEntry> present{{"/dev/ttyS0", ""}, {"/dev/ttyUSB1", "FT232R"}};
        QStringList extraAsked;
        r.dialog.listPorts = [&](const QStringList& extra) {
            extraAsked = extra;
            return present;
        };
        QStringList seen;
        QTimer::singleShot(0, &r.dialog, [&] {
            seen << r.dialog.chosenPort();
            // An adapter plugged in before the chosen one: the choice stays.
            present.prepend({"/dev/ttyACM0", ""});
            r.dialog.refreshPorts();
            seen << QString::number(r.dialog.cboComPort->count()) << r.dialog.chosenPort();
            // The chosen adapter pulled out: the first port is chosen.
            present.removeLast();
            r.dialog.refreshPorts();
            seen << QString::number(r.dialog.cboComPort->count()) << r.dialog.chosenPort();
            r.dialog.reject();
        });
        r.dialog.showForLink({"/dev/pts/3"}, QStringLiteral("/dev/ttyUSB1"));
        QCOMPARE(seen, (QStringList{"/dev/ttyUSB1", "3", "/dev/ttyUSB1", "2", "/dev/ttyACM0"}));
        QCOMPARE(extraAsked, QStringList{"/dev/pts/3"});
    }

    void networkPortsAreAddedBesideTheLocalOnes() {
        TfrmNetworkPort ask;
        QPushButton* ok = ask.buttons->button(QDialogButtonBox::Ok);
        QVERIFY(!ok->isEnabled()); // no host yet
        ask.edtHost->setText(" Sign-Box.local ");
        ask.spnPort->setValue(3001);
        QVERIFY(ok->isEnabled());
        QCOMPARE(ask.portName(), QStringLiteral("rfc2217://sign-box.local:3001"));
        ask.cboKind->setCurrentIndex(1);
        ask.edtHost->setText("[fe80::1]");
        QCOMPARE(ask.portName(), QStringLiteral("socket://[fe80::1]:3001"));
        ask.edtHost->setText("bad host");
        QVERIFY(!ok->isEnabled());

        DialogRig r;
        QStringList remembered;
        r.dialog.networkPortAdded = [&](const QString& name) { remembered << name; };
        r.dialog.listPorts = [](const QStringList& extra) {
            return ListSerialPorts(extra).mid(0, extra.size());
        };
        QStringList answers{"rfc2217://box:2000", "", "RFC2217://Box:2000"};
        r.dialog.askNetworkPort = [&] { return answers.takeFirst(); };
        QStringList seen;
        QTimer::singleShot(0, &r.dialog, [&] {
            for (int i = 0; i < 3; ++i) {
                r.dialog.btnAddNetwork->click();
                seen << QString::number(r.dialog.cboComPort->count()) << r.dialog.chosenPort();
            }
            seen << r.dialog.cboComPort->itemText(1);
            r.dialog.reject();
        });
        r.dialog.showForLink({"/dev/pts/3"}, QStringLiteral("/dev/pts/3"));
        // Added, cancelled, the same again in other letters: listed once, chosen each time.
        QCOMPARE(seen, (QStringList{"2", "rfc2217://box:2000", "2", "rfc2217://box:2000", "2",
                                    "rfc2217://box:2000",
                                    "rfc2217://box:2000 - " + msg::network::rfc2217Description}));
        QCOMPARE(remembered, (QStringList{"rfc2217://box:2000", "rfc2217://box:2000"}));
    }

    void okConnectsAndTheDialogCloses() {
        DialogRig r;
        useTestTiming(r.ex); // the sign answers
        QVERIFY(r.sim.start(r.state));
        bool connectingLook = false;
        r.seam.onBreath = [&] {
            connectingLook = !r.dialog.Panel1->isVisible() && r.dialog.Label1->isVisible() &&
                             r.dialog.Label2->isVisible() && r.dialog.BitBtn1->isVisible();
        };
        QTimer::singleShot(0, r.dialog.Button1, &QPushButton::click);
        QCOMPARE(r.dialog.showForLink({r.sim.device()}), int(QDialog::Accepted));

        QVERIFY(connectingLook);
        QCOMPARE(r.seam.shown, QStringList{"message: " + msg::connectionSuccess});
        QCOMPARE(r.link.portName, r.sim.device());
        QVERIFY(r.host.pager);
        QVERIFY(!r.dialog.isVisible());
        QVERIFY(!r.port.isOpen());
        // Ready to choose again.
        QVERIFY(r.dialog.Panel1->isVisibleTo(&r.dialog));
        QVERIFY(!r.dialog.BitBtn1->isVisibleTo(&r.dialog));
        QVERIFY(!r.dialog.Label1->isVisibleTo(&r.dialog));
    }

    void cancelButtonStopsTheAttempts() {
        DialogRig r;
        QVERIFY(r.peer.ok());
        r.seam.onBreath = [&] {
            if (r.peer.frames().size() == 2)
                r.dialog.BitBtn1->click();
        };
        QTimer::singleShot(0, r.dialog.Button1, &QPushButton::click);
        r.dialog.showForLink({r.peer.path()});
        QVERIFY(r.seam.shown.isEmpty());
        QVERIFY(!r.host.pager);
        QVERIFY(!r.dialog.isVisible());
        QCOMPARE(r.peer.frames().size(), 2);
    }

    void escapeWhileConnectingCancelsInsteadOfClosing() {
        DialogRig r;
        QVERIFY(r.peer.ok());
        bool stillOpen = true;
        r.seam.onBreath = [&] {
            if (r.peer.frames().size() == 1 && r.dialog.isVisible()) {
                r.dialog.reject();
                stillOpen = stillOpen && r.dialog.isVisible();
            }
        };
        QTimer::singleShot(0, r.dialog.Button1, &QPushButton::click);
        r.dialog.showForLink({r.peer.path()});
        QVERIFY(stillOpen);
        QCOMPARE(r.peer.frames().size(), 1);
        QVERIFY(r.seam.shown.isEmpty());
    }
};

QTEST_MAIN(TestLinkDialog)
#include "tst_link_dialog.moc"
