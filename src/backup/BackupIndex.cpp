#include "backup/BackupIndex.h"

#include "image/AtomicSave.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace backup {

namespace {

constexpr auto kPrivateFile = QFile::ReadOwner | QFile::WriteOwner;

// Lines of at most max bytes (without the newline). A longer one is reported as such and never
// held whole: its bytes go to the overflow device, or nowhere.
class BoundedLines {
  public:
    BoundedLines(QIODevice& in, qsizetype max) : in_(in), buffer_(max + 2, '\0') {}

    enum class Kind { Line, Overlong, End };
    // text: the line without its newline. For an overlong line, its bytes (newline included
    // when it has one) are written to overflow when given.
    Kind next(QByteArray* text, QIODevice* overflow) {
        // readLine reads at most size - 1 bytes: a whole line of max bytes and its newline.
        qint64 n = in_.readLine(buffer_.data(), buffer_.size());
        if (n <= 0)
            return Kind::End;
        ++number_;
        const bool newline = buffer_.at(n - 1) == '\n';
        if (newline || n < buffer_.size() - 1) {
            *text = QByteArray(buffer_.constData(), newline ? n - 1 : n);
            return Kind::Line;
        }
        text->clear();
        for (;;) {
            if (overflow)
                overflow->write(buffer_.constData(), n);
            if (buffer_.at(n - 1) == '\n')
                break;
            n = in_.readLine(buffer_.data(), buffer_.size());
            if (n <= 0)
                break;
        }
        return Kind::Overlong;
    }
    int number() const { return number_; }

  private:
    QIODevice& in_;
    QByteArray buffer_;
    int number_ = 0;
};

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool flushToDisk(QFileDevice& file) {
    return file.flush() && syncToDisk(file.handle());
}

} // namespace

bool isBackupFileName(const QString& name) {
    return name.endsWith(QLatin1String(".tbl")) && !name.startsWith(QLatin1Char('.')) &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

std::optional<Entry> parseIndexLine(const QByteArray& line, const QString& folder) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    Entry e;
    e.file = o.value(QLatin1String("file")).toString();
    if (!isBackupFileName(e.file))
        return std::nullopt;
    e.time = QDateTime::fromString(o.value(QLatin1String("time")).toString(), Qt::ISODate);
    if (e.time.isValid())
        e.time = e.time.toUTC();
    e.port = o.value(QLatin1String("port")).toString();
    e.operation = o.value(QLatin1String("operation")).toString();
    e.firmware = o.value(QLatin1String("firmware")).toString();
    e.validBanks = o.value(QLatin1String("validBanks")).toInt();
    e.checksum = o.value(QLatin1String("checksum")).toString();
    e.capcode1 = quint32(o.value(QLatin1String("capcode1")).toInteger());
    e.path = folder + QLatin1Char('/') + e.file;
    return e;
}

QByteArray indexLine(const Entry& e) {
    const QJsonObject o{{"time", e.time.toUTC().toString(Qt::ISODate)},
                        {"port", e.port},
                        {"operation", e.operation},
                        {"firmware", e.firmware},
                        {"validBanks", e.validBanks},
                        {"file", e.file},
                        {"checksum", e.checksum},
                        {"capcode1", qint64(e.capcode1)}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

IndexContents readIndex(QIODevice& in, const QString& folder, qsizetype maxLine) {
    IndexContents out;
    BoundedLines lines(in, maxLine);
    QByteArray text;
    for (;;) {
        const auto kind = lines.next(&text, nullptr);
        if (kind == BoundedLines::Kind::End)
            break;
        std::optional<Entry> e;
        if (kind == BoundedLines::Kind::Line) {
            if (text.trimmed().isEmpty())
                continue;
            e = parseIndexLine(text, folder);
        }
        if (e) {
            e->indexLine = lines.number();
            out.entries << *e;
        } else {
            out.unreadableLines << lines.number();
        }
    }
    return out;
}

IndexContents readIndexFile(const QString& indexPath, qsizetype maxLine) {
    QFile file(indexPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readIndex(file, QFileInfo(indexPath).path(), maxLine);
}

bool appendIndexLine(const QString& indexPath, const Entry& e, QString* reason) {
    QFile file(indexPath);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append, kPrivateFile)) {
        *reason = file.errorString();
        return false;
    }
    QByteArray line = indexLine(e);
    if (file.size() > 0) {
        char last = '\n';
        if (!file.seek(file.size() - 1) || !file.getChar(&last)) {
            *reason = file.errorString();
            return false;
        }
        if (last != '\n')
            line.prepend('\n');
    }
    if (file.write(line) != line.size() || !flushToDisk(file)) {
        *reason = file.error() != QFile::NoError ? file.errorString() : systemError();
        return false;
    }
    return true;
}

bool copyIndex(QIODevice& in, QIODevice& out, const QString& folder,
               const std::function<bool(const Entry&)>& drop, qsizetype maxLine) {
    BoundedLines lines(in, maxLine);
    QByteArray text;
    for (;;) {
        const auto kind = lines.next(&text, &out);
        if (kind == BoundedLines::Kind::End)
            break;
        if (kind == BoundedLines::Kind::Overlong)
            continue;
        if (auto e = parseIndexLine(text, folder)) {
            e->indexLine = lines.number();
            if (drop(*e))
                continue;
        }
        if (out.write(text + '\n') != text.size() + 1)
            return false;
    }
    return true;
}

bool rewriteIndex(const QString& indexPath, const std::function<bool(const Entry&)>& drop,
                  QString* reason, qsizetype maxLine) {
    QFile in(indexPath);
    if (!in.open(QIODevice::ReadOnly)) {
        *reason = in.errorString();
        return false;
    }
    QSaveFile out(indexPath);
    if (!out.open(QIODevice::WriteOnly)) {
        *reason = out.errorString();
        return false;
    }
    if (!copyIndex(in, out, QFileInfo(indexPath).path(), drop, maxLine) || !flushToDisk(out)) {
        *reason = out.error() != QFile::NoError ? out.errorString() : systemError();
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        *reason = out.errorString();
        return false;
    }
    QFile::setPermissions(indexPath, kPrivateFile);
    return true;
}

} // namespace backup
