#include "backup/Backups.h"

#include "image/AtomicSave.h"
#include "image/ParamImage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStandardPaths>
#include <algorithm>

namespace backup {

namespace {

const QString kIndex = QStringLiteral("index.jsonl");
constexpr auto kPrivateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr auto kPrivateFile = QFile::ReadOwner | QFile::WriteOwner;

// A port as a file name takes it: the device's own name, nothing that could leave the folder.
QString portPart(const QString& port) {
    QString name = QFileInfo(port).fileName();
    for (QChar& ch : name)
        if (!ch.isLetterOrNumber() && ch != QLatin1Char('-') && ch != QLatin1Char('_'))
            ch = QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("port") : name;
}

// The backups hold the signs' passwords.
bool savePrivately(const QString& path, const QByteArray& bytes, QString* reason) {
    if (!saveAtomically(path, bytes, reason))
        return false;
    QFile::setPermissions(path, kPrivateFile);
    return true;
}

QJsonObject toJson(const Entry& e) {
    return {{"time", e.time.toString(Qt::ISODate)},
            {"port", e.port},
            {"operation", e.operation},
            {"firmware", e.firmware},
            {"validBanks", e.validBanks},
            {"file", e.file},
            {"checksum", e.checksum},
            {"capcode1", qint64(e.capcode1)}};
}

} // namespace

QString defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/ledsign-programmer/backups");
}

Store::Store(QString folder)
    : folder_(std::move(folder)), now_([] { return QDateTime::currentDateTimeUtc(); }) {}

bool Store::keep(const SignReading& reading, QString* reason, Entry* kept) {
    QDir dir(folder_);
    if (!dir.mkpath(QStringLiteral("."))) {
        *reason = folder_ + QStringLiteral(": cannot create the folder");
        return false;
    }
    // The backups hold the signs' passwords.
    QFile::setPermissions(folder_, kPrivateFolder);

    ParamImage image;
    image.assign(reading.image);
    const QByteArray bytes = image.toByteArray();
    const QDateTime now = now_().toUTC();
    Entry e{
        now,
        reading.port,
        reading.operation,
        reading.firmware,
        reading.validBanks,
        {},
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()),
        image.capcode(0),
        {}};
    const QString stem = QLocale::c().toString(now, QStringLiteral("yyyyMMdd-HHmmss")) +
                         QLatin1Char('-') + portPart(reading.port) + QStringLiteral("-capcode1-") +
                         QString::number(e.capcode1);
    e.file = stem + QStringLiteral(".tbl");
    for (int n = 2; dir.exists(e.file); ++n)
        e.file = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".tbl");
    e.path = dir.filePath(e.file);
    QString why;
    if (!savePrivately(e.path, bytes, &why)) {
        *reason = e.path + QStringLiteral(": ") + why;
        return false;
    }
    QList<Entry> all = entries();
    if (std::none_of(all.cbegin(), all.cend(), [&](const Entry& x) { return x.file == e.file; }))
        all.prepend(e);
    prune(all, now);
    if (!writeIndex(all, &why)) {
        QFile::remove(e.path);
        *reason = dir.filePath(kIndex) + QStringLiteral(": ") + why;
        return false;
    }
    if (kept)
        *kept = e;
    return true;
}

QList<Entry> Store::entries() const {
    QList<Entry> out;
    QFile index(QDir(folder_).filePath(kIndex));
    if (!index.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : index.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.isEmpty())
            continue;
        Entry e;
        e.time = QDateTime::fromString(o.value("time").toString(), Qt::ISODate);
        e.port = o.value("port").toString();
        e.operation = o.value("operation").toString();
        e.firmware = o.value("firmware").toString();
        e.validBanks = o.value("validBanks").toInt();
        e.file = QFileInfo(o.value("file").toString()).fileName();
        e.checksum = o.value("checksum").toString();
        e.capcode1 = quint32(o.value("capcode1").toInteger());
        e.path = QDir(folder_).filePath(e.file);
        if (!e.file.isEmpty())
            out << e;
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Entry& a, const Entry& b) { return a.time > b.time; });
    return out;
}

void Store::prune(QList<Entry>& newestFirst, const QDateTime& now) const {
    const QDateTime oldest = now.addDays(-kKeptDays);
    QList<Entry> kept;
    for (int i = 0; i < newestFirst.size(); ++i) {
        const Entry& e = newestFirst.at(i);
        if (i < kAlwaysKept || e.time >= oldest)
            kept << e;
        else
            QFile::remove(e.path);
    }
    newestFirst = kept;
}

bool Store::writeIndex(const QList<Entry>& newestFirst, QString* reason) const {
    QByteArray text;
    // Oldest first, as a log reads.
    for (auto it = newestFirst.crbegin(); it != newestFirst.crend(); ++it)
        text += QJsonDocument(toJson(*it)).toJson(QJsonDocument::Compact) + '\n';
    return savePrivately(QDir(folder_).filePath(kIndex), text, reason);
}

} // namespace backup
