#include "backup/Backups.h"

#include "backup/PrivateFolder.h"
#include "core/Messages.h"
#include "image/AtomicSave.h"
#include "image/ParamImage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QLocale>
#include <QLockFile>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>

namespace backup {

namespace {

const QString kIndex = QStringLiteral("index.jsonl");
const QString kLock = QStringLiteral(".lock");
const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");
// Another program keeping a backup in the same folder holds the lock for a moment only.
constexpr int kLockWaitMs = 10000;

// A port as a file name takes it: the device's own name, nothing that could leave the folder.
QString portPart(const QString& port) {
    QString name = QFileInfo(port).fileName();
    for (QChar& ch : name)
        if (!ch.isLetterOrNumber() && ch != QLatin1Char('-') && ch != QLatin1Char('_'))
            ch = QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("port") : name;
}

QString checksumOf(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// What a file name says: 20261209-143012-ttyUSB0-capcode1-1234567[-2].tbl
const QRegularExpression& namePattern() {
    static const QRegularExpression re(
        QStringLiteral("^(\\d{8}-\\d{6})-(.*)-capcode1-\\d+(?:-\\d+)?\\.tbl$"));
    return re;
}

// A file no readable index line names: its time and port from its name (its modification time
// when the name does not tell), capcode #1 and checksum from its bytes.
Entry unindexed(const QString& folder, const QString& file) {
    Entry e;
    e.file = file;
    e.path = folder + QLatin1Char('/') + file;
    const QRegularExpressionMatch m = namePattern().match(file);
    if (m.hasMatch()) {
        const QString s = m.captured(1); // yyyyMMdd-HHmmss, UTC
        e.time = QDateTime::fromString(s.mid(0, 4) + QLatin1Char('-') + s.mid(4, 2) +
                                           QLatin1Char('-') + s.mid(6, 2) + QLatin1Char('T') +
                                           s.mid(9, 2) + QLatin1Char(':') + s.mid(11, 2) +
                                           QLatin1Char(':') + s.mid(13, 2) + QLatin1Char('Z'),
                                       Qt::ISODate);
        e.port = m.captured(2);
    }
    if (!e.time.isValid())
        e.time = QFileInfo(e.path).lastModified().toUTC();
    QFile f(e.path);
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = f.read(layout::kImageSize + 1);
        ParamImage image;
        image.assign(bytes.left(layout::kImageSize));
        e.capcode1 = image.capcode(0);
        e.checksum = checksumOf(bytes);
    }
    return e;
}

bool newerFirst(const Entry& a, const Entry& b) {
    if (a.time != b.time)
        return a.time > b.time;
    return a.indexLine > b.indexLine;
}

// The file still holds what its index line says it holds.
bool holds(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(bytes.size() + 1) == bytes;
}

} // namespace

QString defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/ledsign-programmer/backups");
}

bool isInFolder(const QString& path, const QString& folder) {
    const QString dir = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !dir.isEmpty() && dir == QFileInfo(folder).canonicalFilePath();
}

QString shownOperation(const QString& stored) {
    if (stored == QLatin1String("write"))
        return msg::backupOpBeforeWrite;
    if (stored == QLatin1String("read"))
        return msg::backupOpRead;
    if (stored == QLatin1String("compare"))
        return msg::backupOpCompare;
    return stored.isEmpty() ? msg::backupOpUnknown : stored;
}

QJsonObject toJson(const Listing& listing, const QString& folder) {
    QJsonArray backups;
    for (const Entry& e : listing.backups)
        backups.append(QJsonObject{{"time", e.time.toString(Qt::ISODate)},
                                   {"port", e.port},
                                   {"operation", shownOperation(e.operation)},
                                   {"capcode1", qint64(e.capcode1)},
                                   {"firmware", e.firmware},
                                   {"validBanks", e.validBanks},
                                   {"checksum", e.checksum},
                                   {"file", e.path},
                                   {"indexed", e.indexLine > 0}});
    QJsonArray unreadable;
    for (int n : listing.unreadableLines)
        unreadable.append(n);
    return {{"folder", folder}, {"backups", backups}, {"unreadableIndexLines", unreadable}};
}

Store::Store(QString folder)
    : folder_(std::move(folder)), now_([] { return QDateTime::currentDateTimeUtc(); }) {}

QString Store::indexPath() const {
    return folder_ + QLatin1Char('/') + kIndex;
}

QString Store::add(const SignReading& reading, QString* reason) {
    if (const QString refused = preparePrivateFolder(folder_); !refused.isEmpty()) {
        *reason = refused;
        return {};
    }
    // The window, the command line and a line's stations may keep backups at the same time.
    QLockFile lock(folder_ + QLatin1Char('/') + kLock);
    if (!lock.tryLock(kLockWaitMs)) {
        *reason = folder_ + QLatin1Char('/') + kLock + QStringLiteral(": ") +
                  (lock.error() == QLockFile::LockFailedError ? QStringLiteral("held too long")
                                                              : QStringLiteral("cannot be made"));
        return {};
    }
    return addLocked(reading, reason);
}

QString Store::addLocked(const SignReading& reading, QString* reason) {
    ParamImage image;
    image.assign(reading.image);
    const QByteArray bytes = image.toByteArray();
    const QDateTime now = now_().toUTC();
    Entry e;
    e.time = now;
    e.port = reading.port;
    e.operation = reading.operation;
    e.firmware = reading.firmware;
    e.validBanks = reading.validBanks;
    e.checksum = checksumOf(bytes);
    e.capcode1 = image.capcode(0);

    // The port's last backup, when it holds the same bytes, serves again.
    const IndexContents index = readIndexFile(indexPath());
    const Entry* last = nullptr;
    for (const Entry& x : index.entries)
        if (x.port == reading.port && (!last || !newerFirst(*last, x)))
            last = &x;
    const bool again = last && last->checksum == e.checksum && holds(last->path, bytes);
    if (again) {
        e.file = last->file;
    } else {
        const QString stem = QLocale::c().toString(now, kStampFormat) + QLatin1Char('-') +
                             portPart(reading.port) + QStringLiteral("-capcode1-") +
                             QString::number(e.capcode1);
        e.file = stem + QStringLiteral(".tbl");
        for (int n = 2; QFileInfo::exists(folder_ + QLatin1Char('/') + e.file); ++n)
            e.file = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".tbl");
    }
    e.path = folder_ + QLatin1Char('/') + e.file;

    QString why;
    if (!again) {
        // Read-only: a backup opened and saved by mistake stays what the sign held.
        if (!saveAtomically(e.path, bytes, &why) ||
            !QFile::setPermissions(e.path, QFile::ReadOwner)) {
            QFile::remove(e.path);
            *reason = e.path + QStringLiteral(": ") + (why.isEmpty() ? msg::saveError : why);
            return {};
        }
    }
    if (!appendIndexLine(indexPath(), e, &why)) {
        if (!again)
            QFile::remove(e.path);
        *reason = indexPath() + QStringLiteral(": ") + why;
        return {};
    }
    prune(now);
    return e.path;
}

Listing Store::listing() const {
    const IndexContents index = readIndexFile(indexPath());
    const QStringList files = QDir(folder_).entryList({QStringLiteral("*.tbl")}, QDir::Files);
    const QSet<QString> present(files.cbegin(), files.cend());
    Listing out;
    out.unreadableLines = index.unreadableLines;
    QSet<QString> named;
    for (Entry e : index.entries) {
        named << e.file;
        if (!present.contains(e.file))
            continue;
        if (!e.time.isValid())
            e.time = unindexed(folder_, e.file).time;
        out.backups << e;
    }
    for (const QString& file : files)
        if (!named.contains(file) && isBackupFileName(file))
            out.backups << unindexed(folder_, file);
    std::stable_sort(out.backups.begin(), out.backups.end(), newerFirst);
    return out;
}

// Lines and files past both limits go; a file goes with the last line that names it. The
// index is rewritten only when a line goes, and its unreadable lines stay.
void Store::prune(const QDateTime& now) {
    const IndexContents index = readIndexFile(indexPath());
    QList<Entry> all = index.entries;
    QSet<QString> named;
    for (const Entry& e : all)
        named << e.file;
    for (const QString& file : QDir(folder_).entryList({QStringLiteral("*.tbl")}, QDir::Files))
        if (!named.contains(file) && isBackupFileName(file))
            all << unindexed(folder_, file);
    std::stable_sort(all.begin(), all.end(), newerFirst);

    const QDateTime oldest = now.addDays(-kKeptDays);
    QSet<int> droppedLines;
    QSet<QString> kept, dropped;
    for (int i = 0; i < all.size(); ++i) {
        const Entry& e = all.at(i);
        if (i < kAlwaysKept || (e.time.isValid() && e.time >= oldest)) {
            kept << e.file;
        } else {
            dropped << e.file;
            if (e.indexLine > 0)
                droppedLines << e.indexLine;
        }
    }
    if (!droppedLines.isEmpty()) {
        QString why;
        // Read under the same lock: the line numbers still hold.
        const bool rewritten = rewriteIndex(
            indexPath(), [&](const Entry& e) { return droppedLines.contains(e.indexLine); }, &why);
        if (!rewritten)
            return; // nothing is lost: the next backup tries again
    }
    for (const QString& file : dropped)
        if (!kept.contains(file))
            QFile::remove(folder_ + QLatin1Char('/') + file);
}

} // namespace backup
