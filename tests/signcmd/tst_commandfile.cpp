#include "signcmd/CommandFile.h"
#include "signcmd/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace signcmd;

class TestCommandFile : public QObject {
    Q_OBJECT
    const QDateTime now{QDate(2010, 12, 31), QTime(23, 59, 59)};

    static const Command& byKeyword(const char* k) {
        for (const Command& c : commands())
            if (qstrcmp(c.keyword, k) == 0)
                return c;
        qFatal("no %s", k);
    }

  private slots:
    void startupValuesAndCodings() {
        const CommandValues v = startupValues(now);
        QCOMPARE(v[11].text, QStringLiteral("2(2 Lines)"));
        QCOMPARE(v[22].text, QStringLiteral("B(Animation)"));
        QCOMPARE(v[6].text, QStringLiteral("2(After All Msg)"));
        QCOMPARE(v[20].text, QStringLiteral("LIFO"));
        QCOMPARE(v[19].text, QStringLiteral("5"));
        QCOMPARE(v[2].text, QStringLiteral("101231"));
        QCOMPARE(v[4].text, QStringLiteral("235959"));
        QCOMPARE(defaultValue(QStringLiteral("MKLEDNONE")), QStringLiteral(" "));
        QCOMPARE(encode(commands()[17], {QString(), 2}), QStringLiteral("2"));
        QCOMPARE(encode(commands()[22], {QString(), 10}), QStringLiteral("A"));
        QCOMPARE(decode(commands()[20], QStringLiteral("0"), {})->text, QStringLiteral("FIFO"));
        // A number that is no item leaves nothing selected; one that is not a number fails.
        QCOMPARE(decode(commands()[17], QStringLiteral("7"), {})->index, -1);
        QVERIFY(!decode(commands()[17], QString(), {}));
    }

    // A file the dialog saved opens again, even when a coded list held a number of no item
    // (an empty value would stop the next Open with the conversion error).
    void codeOfNoItemSurvivesSaveAndOpen() {
        QByteArray file = saveCommands({}, startupValues(now));
        file.replace("MKLEDSEQU=1\r\n", "MKLEDSEQU=12\n");
        const auto loaded = loadCommands(file, startupValues(now), nullptr);
        QVERIFY(loaded);
        QCOMPARE((*loaded)[20].index, -1);
        const QByteArray saved = saveCommands(file, *loaded);
        QVERIFY(saved.contains("\r\nMKLEDSEQU=12\n"));
        QString error;
        const auto again = loadCommands(saved, startupValues(now), &error);
        QVERIFY2(again, qPrintable(error));
        QCOMPARE(saveCommands(saved, *again), saved);
    }

    void newFileLinesInControlOrder() {
        const QByteArray bytes = saveCommands({}, startupValues(now));
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.first(), QByteArray("[LED Sign]\r"));
        QCOMPARE(lines.size(), 36); // section, 34 keys, nothing after the last CRLF
        QCOMPARE(lines[1], QByteArray("MKLEDTM=OFF\r"));
        QCOMPARE(lines[7], QByteArray("MKLEDDATE=101231\r"));
        QCOMPARE(lines[21], QByteArray("MKLEDTYPE=2\r"));
        QCOMPARE(lines[34], QByteArray("MKLEDMESG=Marovelkin Wireless LED Moving Sign...\r"));
        QVERIFY(bytes.endsWith("\r\n"));
    }

    void typeCodeRoundTrip() {
        CommandValues v = startupValues(now);
        v[11] = {byKeyword("MKLEDTYPE").items[4], 4};
        const QByteArray bytes = saveCommands({}, v);
        QVERIFY(bytes.contains("\r\nMKLEDTYPE=a\r\n"));
        const auto back = loadCommands(bytes, startupValues(now), nullptr);
        QVERIFY(back);
        QCOMPARE((*back)[11].index, 4);
        for (int n = 0; n < kCommandCount; ++n)
            QCOMPARE((*back)[n].text, v[n].text);
    }

    void saveIntoHandWrittenFileKeepsTheRest() {
        const QByteArray hand = "; mine\n[Other]\nA = 1\n[led sign]\nmkledtm = ON\n; tail\n\n"
                                "[Last]\nB=2";
        const QByteArray out = saveCommands(hand, startupValues(now));
        QVERIFY(out.startsWith("; mine\n[Other]\nA = 1\n[led sign]\nmkledtm=OFF\nMKLEDDT=OFF\r\n"));
        QVERIFY(out.contains("MKLEDMESG=Marovelkin Wireless LED Moving Sign...\r\n; tail\n\n"
                             "[Last]\nB=2"));
        QVERIFY(!out.contains("[LED Sign]"));
        // A file without the section gets it at the end, after a CRLF for its last line.
        const QByteArray appended = saveCommands("[X]\nB=2", startupValues(now));
        QVERIFY(appended.startsWith("[X]\nB=2\r\n[LED Sign]\r\nMKLEDTM=OFF\r\n"));
    }

    void readingRules() {
        const IniFile f = IniFile::fromBytes("k=0\r[S]\rK = \"quoted value\" \r k=second\r"
                                             ";k2=x\rnothing\r[s]\rk3=y\r");
        QCOMPARE(f.value(QStringLiteral("s"), QStringLiteral("K")), QStringLiteral("quoted value"));
        QVERIFY(!f.contains(QStringLiteral("S"), QStringLiteral("k2")));
        QVERIFY(!f.contains(QStringLiteral("S"), QStringLiteral("k3"))); // first section wins
        const IniFile longValue = IniFile::fromBytes("[S]\nk=" + QByteArray(300, 'x') + "\n");
        QCOMPARE(longValue.value(QStringLiteral("S"), QStringLiteral("k")).size(), 254);
    }

    void utf16FileStaysUtf16() {
        const QString text =
            QString::fromLatin1(saveCommands({}, startupValues(now)))
                .replace(QStringLiteral("MKLEDSPEED=5"), QStringLiteral("MKLEDSPEED=3"));
        QByteArray bytes("\xFF\xFE", 2);
        for (QChar c : text) {
            bytes.append(char(c.unicode() & 0xFF));
            bytes.append(char(c.unicode() >> 8));
        }
        const auto v = loadCommands(bytes, startupValues(now), nullptr);
        QVERIFY(v);
        QCOMPARE((*v)[19].text, QStringLiteral("3"));
        const QByteArray out = saveCommands(bytes, *v);
        QVERIFY(out.startsWith(bytes.left(bytes.size() - 2)));
        QCOMPARE(out.size() % 2, 0);
    }

    // F10: a value a coded list cannot take loads nothing.
    void missingKeysAndConversionError() {
        CommandValues before = startupValues(now);
        before[0] = {QStringLiteral("ON"), 0};
        QString error;
        const auto none = loadCommands("[LED Sign]\nMKLEDTM=OFF\nMKLEDTMSM=0\n", before, &error);
        QVERIFY(!none); // MKLEDDTMD is missing: an empty text is no number
        QCOMPARE(error, QStringLiteral("'' is not a valid integer value"));

        QByteArray file = saveCommands({}, startupValues(now));
        file.replace("MKLEDBZTY=9\r\n", "");
        file.replace("MKLEDTM=OFF", "mkledtm=ON");
        const auto v = loadCommands(file, startupValues(now), nullptr);
        QVERIFY(v);
        QCOMPARE((*v)[10].text, QString());
        QCOMPARE((*v)[0].text, QStringLiteral("ON"));
    }

    // F11: a failed save reports and leaves the old file whole.
    void atomicSave() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("c.ini"));
        QVERIFY(saveCommandFile(path, startupValues(now), nullptr));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray first = f.readAll();
        f.close();
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QString reason;
        CommandValues changed = startupValues(now);
        changed[19] = {QStringLiteral("3"), 2};
        const bool saved = saveCommandFile(path, changed, &reason);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (saved)
            QSKIP("the folder stays writable (running as root)");
        QVERIFY(!reason.isEmpty());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), first);
    }
};

QTEST_GUILESS_MAIN(TestCommandFile)
#include "tst_commandfile.moc"
