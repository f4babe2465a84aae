#include "batch/BatchLog.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace batch {

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

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
    if (fd_ >= 0)
        ::close(fd_); // and with it the lock
    fd_ = -1;
}

BatchLog::Opened BatchLog::open(const QString& path, QString* reason, qint64* holder) {
    close();
    path_ = path;
    records_.clear();
    const QByteArray name = QFile::encodeName(path);
    // Read and written through this one descriptor: closing any other descriptor of the file
    // would drop the lock.
    fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        *reason = systemReason(errno);
        return Opened::Failed;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        *reason = systemReason(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        close();
        return Opened::Failed;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd_, F_SETLK, &lock) != 0) {
        const int error = errno;
        struct flock held {};
        held.l_type = F_WRLCK;
        held.l_whence = SEEK_SET;
        if ((error == EACCES || error == EAGAIN) && ::fcntl(fd_, F_GETLK, &held) == 0 &&
            held.l_type != F_UNLCK) {
            *holder = held.l_pid;
            close();
            return Opened::Locked;
        }
        *reason = systemReason(error);
        close();
        return Opened::Failed;
    }
    QByteArray text;
    char chunk[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd_, chunk, sizeof chunk, at);
        if (n < 0) {
            *reason = systemReason(errno);
            close();
            return Opened::Failed;
        }
        if (n == 0)
            break;
        text.append(chunk, n);
        at += n;
    }
    needsNewline_ = !text.isEmpty() && !text.endsWith('\n');
    records_ = readRecords(text);
    return Opened::Ok;
}

bool BatchLog::append(const QByteArray& line, QString* reason) {
    if (fd_ < 0) {
        *reason = systemReason(EBADF);
        return false;
    }
    const QByteArray bytes = needsNewline_ ? '\n' + line : line;
    struct stat st {};
    const off_t before = ::fstat(fd_, &st) == 0 ? st.st_size : -1;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *reason = systemReason(n < 0 ? errno : ENOSPC);
            // No torn line for the next reader.
            if (before >= 0 && ::ftruncate(fd_, before) != 0) {
            }
            return false;
        }
        written += n;
    }
    if (::fdatasync(fd_) != 0) {
        *reason = systemReason(errno);
        return false;
    }
    needsNewline_ = false;
    if (auto r = LogRecord::fromLine(QByteArrayView(line).chopped(line.endsWith('\n') ? 1 : 0)))
        records_ << *r;
    return true;
}

} // namespace batch
