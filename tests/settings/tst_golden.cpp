// What `ledsign` prints for known table files, compared with the records that
// tools/settings-golden made. Any difference is a change of the program's output.
#include "LedsignRun.h"
#include "TestFiles.h"

#include <QDir>
#include <QTest>

class TstGolden : public QObject {
    Q_OBJECT
  private slots:
    void outputs_data();
    void outputs();
};

namespace {

const QString kDir = QStringLiteral(LEDSIGN_GOLDEN_DIR);

QString recorded(const QStringList& args) {
    const Run r = ledsign(args);
    QString out =
        QStringLiteral("exit %1\n--- stdout\n%2--- stderr\n%3").arg(r.code).arg(r.out, r.err);
    return out.replace(QDir(kDir).absolutePath(), QStringLiteral("<dir>"));
}

} // namespace

void TstGolden::outputs_data() {
    QTest::addColumn<QString>("record");
    QTest::addColumn<QStringList>("args");
    const QStringList tables = QDir(kDir).entryList({QStringLiteral("*.tbl")}, QDir::Files);
    QVERIFY(tables.size() >= 8);
    for (const QString& t : tables) {
        const QString name = t.chopped(4), path = kDir + QLatin1Char('/') + t;
        const QString first = kDir + QStringLiteral("/default.tbl");
        QTest::newRow(qPrintable(name + ".show")) << name + ".show" << QStringList{"show", path};
        QTest::newRow(qPrintable(name + ".json"))
            << name + ".json" << QStringList{"show", "--json", path};
        QTest::newRow(qPrintable(name + ".diff"))
            << name + ".diff" << QStringList{"diff", first, path};
    }
    QTest::newRow("set-help") << QStringLiteral("set-help.txt") << QStringList{"set", "--help"};
}

void TstGolden::outputs() {
    QFETCH(QString, record);
    QFETCH(QStringList, args);
    const QString expected = QString::fromUtf8(fileBytes(kDir + QLatin1Char('/') + record));
    QVERIFY2(!expected.isEmpty(), qPrintable(record));
    const QString actual = recorded(args);
    if (actual != expected) {
        const QStringList a = actual.split('\n'), e = expected.split('\n');
        for (qsizetype i = 0; i < qMax(a.size(), e.size()); ++i)
            if (a.value(i) != e.value(i))
                QFAIL(qPrintable(QStringLiteral("%1 line %2:\n  recorded: %3\n  now:      %4")
                                     .arg(record)
                                     .arg(i + 1)
                                     .arg(e.value(i), a.value(i))));
    }
}

QTEST_GUILESS_MAIN(TstGolden)
#include "tst_golden.moc"
