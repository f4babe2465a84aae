#include "TestFiles.h"
#include "core/Messages.h"
#include "image/TableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace layout;

namespace {

void writeAll(const QString& path, const QByteArray& bytes) {
    QVERIFY(writeFileBytes(path, bytes));
}

QByteArray withTag(QByteArray bytes, const QByteArray& tag) {
    bytes.replace(kModelTag, kModelTagLen, QByteArray(kModelTagLen, '\0'));
    bytes.replace(kModelTag, tag.size(), tag);
    return bytes;
}

// An image that differs from the default everywhere the merge looks and elsewhere too.
QByteArray foreignImage() {
    QByteArray b(kImageSize, '\0');
    for (int i = 0; i < kImageSize; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

} // namespace

class TestTableFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void roundTripKeepsEveryByte() {
        ParamImage img;
        img.setCapcode(2, 777);
        img.set(kChecksum, 0x12); // the checksum slot travels as it stands
        img.set(kChecksum + 1, 0x34);
        const QString p = path("round.tbl");
        QVERIFY(tablefile::save(p, img));
        QCOMPARE(QFileInfo(p).size(), qint64(kImageSize));

        ParamImage back;
        const auto r = tablefile::open(p, back);
        QCOMPARE(r.outcome, tablefile::Outcome::Taken);
        QVERIFY(r.message.isEmpty());
        QVERIFY(r.accepted());
        QVERIFY(back == img);
    }

    void shortAndLongFiles() {
        const QByteArray full = ParamImage().toByteArray();

        // Cut after the tag: taken, the missing tail reads as zeros.
        writeAll(path("short.tbl"), full.left(3000));
        ParamImage a;
        a.set(3500, 0x55);
        QCOMPARE(tablefile::open(path("short.tbl"), a).outcome, tablefile::Outcome::Taken);
        QCOMPARE(a.toByteArray().left(3000), full.left(3000));
        QCOMPARE(a.toByteArray().mid(3000), QByteArray(kImageSize - 3000, '\0'));

        // Cut inside the tag: no six characters to classify, refused.
        writeAll(path("cut.tbl"), full.left(kModelTag + 4));
        ParamImage b;
        const auto rb = tablefile::open(path("cut.tbl"), b);
        QCOMPARE(rb.outcome, tablefile::Outcome::Refused);
        QVERIFY(b == ParamImage());

        // An empty file is refused, not read past its end.
        writeAll(path("empty.tbl"), QByteArray());
        QCOMPARE(tablefile::open(path("empty.tbl"), b).outcome, tablefile::Outcome::Refused);

        // Longer than an image: only the first 4096 bytes count.
        QByteArray longer = full;
        longer[5] = 0x42;
        longer.append(QByteArray(1000, '\x77'));
        writeAll(path("long.tbl"), longer);
        ParamImage c;
        QCOMPARE(tablefile::open(path("long.tbl"), c).outcome, tablefile::Outcome::Taken);
        QCOMPARE(c.toByteArray(), longer.left(kImageSize));
    }

    void otherVersionIsTakenWhole() {
        const QByteArray other = withTag(foreignImage(), "SIGN_PV03.10");
        writeAll(path("v3.tbl"), other);
        ParamImage img;
        const auto r = tablefile::open(path("v3.tbl"), img);
        QCOMPARE(r.outcome, tablefile::Outcome::Taken);
        QVERIFY(r.message.isEmpty());
        QCOMPARE(img.toByteArray(), other);
    }

    void pagerFileMergesCoreSettingsOnly() {
        const QString p = path("pager.tbl");
        const QByteArray pager = withTag(foreignImage(), "POCSAG");
        writeAll(p, pager);
        const QByteArray before = ParamImage().toByteArray();
        ParamImage img;
        const auto r = tablefile::open(p, img);
        QCOMPARE(r.outcome, tablefile::Outcome::Merged);
        QVERIFY(r.accepted());
        QCOMPARE(r.message, msg::filePagerFormat(p));
        QCOMPARE(r.message, QStringLiteral("The [") + p +
                                QStringLiteral("] is not correct format for Marovelkin LED sign, "
                                               "copy capcode and frequency Only !"));

        const QByteArray after = img.toByteArray();
        auto merged = [](int o) {
            return o == kSequentialLock || (o >= kPllR && o < kPllN + 4) ||
                   (o >= kCapcodes && o < kCapcodes + 18) ||
                   (o >= kRxControl1 && o <= kRxControl3) || o == kRxControl4 ||
                   (o >= kFunctionTypes && o < kFunctionTypes + 24) || o == kLanguageCode ||
                   o == kBandIndex;
        };
        for (int o = 0; o < kImageSize; ++o) {
            if (o >= kModelTag && o < kModelTag + kModelTagLen)
                continue;
            QCOMPARE(after[o], merged(o) ? pager[o] : before[o]);
        }
        QCOMPARE(after.mid(kModelTag, kModelTagLen), QByteArray("SIGN_PV02.43\0", 13));
    }

    void refusedAndUnreadableFilesChangeNothing() {
        ParamImage img;
        img.setCapcode(0, 4242);
        const ParamImage before = img;

        const QString five = path("five.tbl");
        writeAll(five, withTag(foreignImage(), "SIGN_"));
        auto r = tablefile::open(five, img);
        QCOMPARE(r.outcome, tablefile::Outcome::Refused);
        QVERIFY(!r.accepted()); // the caller keeps its previous Save target
        QCOMPARE(r.message, QStringLiteral("The [") + five +
                                QStringLiteral("] is not correct format, the file will discard !"));
        QVERIFY(img == before);

        writeAll(path("other.tbl"), withTag(foreignImage(), "FLEX_PV1"));
        QCOMPARE(tablefile::open(path("other.tbl"), img).outcome, tablefile::Outcome::Refused);
        QVERIFY(img == before);

        // A named pipe would block the reader for good.
        const QString fifo = path("pipe-in.tbl");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

        for (const QString& bad : {path("missing.tbl"), dir_.path(), fifo}) {
            r = tablefile::open(bad, img);
            QCOMPARE(r.outcome, tablefile::Outcome::Unreadable);
            QVERIFY(!r.accepted());
            QCOMPARE(r.message, msg::openError);
            QVERIFY(!r.detail.isEmpty());
            QVERIFY(img == before);
        }
    }

    void savingOverALongerFileLeavesExactlyOneImage() {
        const QString p = path("longer.tbl");
        writeAll(p, QByteArray(10000, '\x33'));
        ParamImage img;
        QVERIFY(tablefile::save(p, img));
        QCOMPARE(fileBytes(p), img.toByteArray());
    }

    void failedSaveKeepsTheOldFile() {
        const QByteArray old = withTag(foreignImage(), "SIGN_PVold");
        ParamImage img;
        QString reason;

        // The folder is a regular file.
        writeAll(path("plain"), old);
        QVERIFY(!tablefile::save(path("plain/x.tbl"), img, &reason));
        QVERIFY(!reason.isEmpty());
        QCOMPARE(fileBytes(path("plain")), old);

        // The target is a folder or a named pipe: neither is replaced by a file.
        QVERIFY(QDir(dir_.path()).mkpath("folder.tbl"));
        QVERIFY(!tablefile::save(path("folder.tbl"), img));
        QVERIFY(QFileInfo(path("folder.tbl")).isDir());
        const QByteArray fifo = QFile::encodeName(path("pipe.tbl"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QVERIFY(!tablefile::save(path("pipe.tbl"), img));
        struct stat st {};
        QCOMPARE(::stat(fifo.constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));

        // A write that fails half way (the file size limit stands in for a full disk).
        QTemporaryDir sub(path("fullXXXXXX"));
        const QString target = sub.filePath("keep.tbl");
        writeAll(target, old);
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool ok = tablefile::save(target, img, &reason);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QVERIFY(!ok);
        QCOMPARE(fileBytes(target), old);
        QCOMPARE(QDir(sub.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.tbl"});

        // A folder without write permission (permissions do not stop root).
        if (::geteuid() != 0) {
            QTemporaryDir locked(path("lockedXXXXXX"));
            const QString t = locked.filePath("keep.tbl");
            writeAll(t, old);
            QVERIFY(QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner));
            QVERIFY(!tablefile::save(t, img));
            QFile::setPermissions(locked.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QCOMPARE(fileBytes(t), old);
        }
    }

    void captionShowsOneFileName() {
        const QString first = tablefile::captionWithFile(msg::windowCaption, "/a/x.tbl");
        QCOMPARE(first, msg::windowCaption + " - [/a/x.tbl]");
        QCOMPARE(tablefile::captionWithFile(first, "/b/y.tbl"),
                 msg::windowCaption + " - [/b/y.tbl]");
    }
};

QTEST_GUILESS_MAIN(TestTableFile)
#include "tst_tablefile.moc"
