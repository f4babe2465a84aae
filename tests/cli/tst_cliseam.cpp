#include "cli/CliSeam.h"

#include <QTest>

using cli::CliSeam;

class TestCliSeam : public QObject {
    Q_OBJECT

    QString outText, errText;
    QTextStream out{&outText}, err{&errText};

    void reset() {
        outText.clear();
        errText.clear();
    }

  private slots:
    void messagesAndErrorsGoToTheirStreams() {
        reset();
        CliSeam seam({}, out, err, false);
        seam.message(QStringLiteral("Transmit Success!"));
        seam.fileError(QStringLiteral("Save Error!"));
        seam.warning(QStringLiteral("Channel Spacing Error!"));
        seam.error(QStringLiteral("two\nlines"));
        QCOMPARE(outText, QStringLiteral("Transmit Success!\n"));
        QCOMPARE(errText, QStringLiteral("Save Error!\nChannel Spacing Error!\ntwo lines\n"));
        QCOMPARE(seam.errorsShown(), 3);
    }

    void questionsTakeThePresetAnswers() {
        reset();
        CliSeam no({}, out, err, false);
        QVERIFY(!no.askYesNo(QStringLiteral("Overwrite ?")));
        QVERIFY(!no.inputText(QStringLiteral("Check Read Password"), QStringLiteral("Please"), {}));
        QCOMPARE(outText, QStringLiteral("Overwrite ?\n"));
        QVERIFY(errText.contains(QStringLiteral("--yes")));
        QVERIFY(errText.contains(QStringLiteral("Please: no value given")));

        reset();
        CliSeam yes({false, true, QStringLiteral("1234")}, out, err, false);
        QVERIFY(yes.askYesNo(QStringLiteral("Overwrite ?")));
        QCOMPARE(yes.inputText({}, {}, {}), std::optional<QString>(QStringLiteral("1234")));

        reset();
        CliSeam quiet({true, false, {}}, out, err, true);
        QVERIFY(!quiet.askYesNo(QStringLiteral("Overwrite ?")));
        QVERIFY(!quiet.inputText({}, QStringLiteral("Please"), {}));
        QCOMPARE(outText, QStringLiteral("Overwrite ?\n"));
        QCOMPARE(errText, QString());
    }

    void statusLineOnlyOnATerminal() {
        reset();
        {
            CliSeam piped({}, out, err, false);
            piped.setStatus(QStringLiteral(" Read ......"));
            piped.setProgressMax(4100);
            piped.advanceProgress(2050);
        }
        QCOMPARE(errText, QString());

        reset();
        {
            CliSeam quiet({true, false, {}}, out, err, true);
            quiet.setStatus(QStringLiteral(" Read ......"));
            quiet.setProgress(50);
        }
        QCOMPARE(errText, QString());

        reset();
        {
            CliSeam tty({}, out, err, true);
            tty.setStatus(QStringLiteral(" Write ......"));
            tty.setProgressMax(200);
            for (int i = 0; i < 100; ++i)
                tty.advanceProgress(1); // half way, one redraw per visible change
            QVERIFY(errText.endsWith(QStringLiteral(" Write ...... [") + QString(15, '#') +
                                     QString(15, '.') + QStringLiteral("] 50%")));
            QCOMPARE(errText.count(QStringLiteral(" Write ......")), 51);
            tty.message(QStringLiteral("Transmit Success!"));
            // The line is cleared before the message and drawn again after it.
            QVERIFY(errText.endsWith(QStringLiteral("50%\r\033[K\r\033[K Write ...... [") +
                                     QString(15, '#') + QString(15, '.') +
                                     QStringLiteral("] 50%")));
            tty.setProgress(100000); // past the maximum: capped
            QVERIFY(errText.endsWith(QStringLiteral("] 100%")));
        }
        QVERIFY(errText.endsWith(QStringLiteral("\r\033[K"))); // nothing left on the line
        QCOMPARE(outText, QStringLiteral("Transmit Success!\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliSeam)
#include "tst_cliseam.moc"
