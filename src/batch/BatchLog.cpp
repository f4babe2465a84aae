#include "batch/BatchLog.h"

#include "core/Messages.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace batch {

namespace {

QByteArray compact(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

QByteArray LogRecord::toLine() const {
    return compact({
        {QStringLiteral("time"), time.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("unit"), unit},
        {QStringLiteral("port"), port},
        {QStringLiteral("firmware"), firmware},
        {QStringLiteral("template"), templateChecksum},
        {QStringLiteral("checksum"), imageChecksum},
        {QStringLiteral("backup"), backup},
        {QStringLiteral("result"), result},
        {QStringLiteral("message"), message},
        {QStringLiteral("seconds"), seconds},
        {QStringLiteral("attempt"), attempt},
    });
}

std::optional<LogRecord> LogRecord::fromLine(QByteArrayView line) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    const QJsonValue unit = o.value(QStringLiteral("unit"));
    const QJsonValue result = o.value(QStringLiteral("result"));
    if (!unit.isString() || !result.isString())
        return std::nullopt;
    LogRecord r;
    r.time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODate);
    r.unit = unit.toString();
    r.port = o.value(QStringLiteral("port")).toString();
    r.firmware = o.value(QStringLiteral("firmware")).toString();
    r.templateChecksum = o.value(QStringLiteral("template")).toString();
    r.imageChecksum = o.value(QStringLiteral("checksum")).toString();
    r.backup = o.value(QStringLiteral("backup")).toString();
    r.result = result.toString();
    r.message = o.value(QStringLiteral("message")).toString();
    r.seconds = o.value(QStringLiteral("seconds")).toDouble();
    r.attempt = o.value(QStringLiteral("attempt")).toInt(1);
    return r;
}

QByteArray StartRecord::toLine() const {
    return compact({
        {QStringLiteral("time"), time.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("batch"), QStringLiteral("start")},
        {QStringLiteral("pid"), pid},
        {QStringLiteral("template"), templateChecksum},
        {QStringLiteral("units"), units},
        {QStringLiteral("ports"), QJsonArray::fromStringList(ports)},
    });
}

QList<LogRecord> readRecords(const QByteArray& text) {
    QList<LogRecord> out;
    for (const QByteArray& line : text.split('\n'))
        if (auto r = LogRecord::fromLine(line))
            out << *r;
    return out;
}

BatchLog::~BatchLog() {
    close();
}

void BatchLog::close() {
    file_.close(); // and with it the lock
    lock_.reset();
}

BatchLog::Opened BatchLog::open(const QString& path, QString* reason, qint64* holder) {
    close();
    path_ = path;
    records_.clear();
    if (const QFileInfo target(path); target.exists() && !target.isFile()) {
        *reason = msg::notRegularFile;
        return Opened::Failed;
    }
    // Read and written through this one handle: closing any other handle of the file would
    // drop the lock. Unbuffered, so a short write (a full disk) shows in write()'s count.
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        *reason = file_.errorString();
        return Opened::Failed;
    }
#ifdef Q_OS_UNIX
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(file_.handle(), F_SETLK, &lock) != 0) {
        const int error = errno;
        struct flock held {};
        held.l_type = F_WRLCK;
        held.l_whence = SEEK_SET;
        if ((error == EACCES || error == EAGAIN) && ::fcntl(file_.handle(), F_GETLK, &held) == 0 &&
            held.l_type != F_UNLCK) {
            *holder = held.l_pid;
            close();
            return Opened::Locked;
        }
        *reason = QString::fromLocal8Bit(std::strerror(error));
        close();
        return Opened::Failed;
    }
#else
    lock_ = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    if (!lock_->tryLock(0)) {
        QString host, app;
        if (lock_->error() == QLockFile::LockFailedError &&
            lock_->getLockInfo(holder, &host, &app)) {
            close();
            return Opened::Locked;
        }
        *reason = msg::batch::lockFailed;
        close();
        return Opened::Failed;
    }
#endif
    if (!file_.seek(0)) {
        *reason = file_.errorString();
        close();
        return Opened::Failed;
    }
    const QByteArray text = file_.readAll();
    needsNewline_ = !text.isEmpty() && !text.endsWith('\n');
    records_ = readRecords(text);
    return Opened::Ok;
}

bool BatchLog::write(const QByteArray& line, QString* reason) {
    if (!file_.isOpen()) {
        *reason = msg::batch::logClosed;
        return false;
    }
    const QByteArray bytes = needsNewline_ ? '\n' + line : line;
    const qint64 before = file_.size();
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file_.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            *reason = file_.errorString();
            file_.resize(before); // no torn line for the next reader
            return false;
        }
        written += n;
    }
    needsNewline_ = false;
    if (auto r = LogRecord::fromLine(QByteArrayView(line).chopped(line.endsWith('\n') ? 1 : 0)))
        records_ << *r;
    return true;
}

} // namespace batch
