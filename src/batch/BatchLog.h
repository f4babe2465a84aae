#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QLockFile>
#include <QString>
#include <memory>
#include <optional>

// The log of a line of signs: one JSON object a line, one line for every attempt at a unit,
// appended and synced as it ends. `ledsign batch` and the window's production screen write
// and resume the same logs.
namespace batch {

inline const QString kResultOk = QStringLiteral("ok");
inline const QString kResultFailed = QStringLiteral("failed");
// Stopped before anything on the sign was erased: the unit is still to do.
inline const QString kResultLeft = QStringLiteral("left");

struct LogRecord {
    QDateTime time; // UTC
    QString unit, port, firmware;
    QString templateChecksum; // SHA-256 of the template's image, hex
    QString imageChecksum;    // SHA-256 of the unit's image, hex
    QString backup;           // the backup file the station wrote before erasing
    QString result;           // kResultOk, kResultFailed or kResultLeft
    QString message;
    double seconds = 0;
    int attempt = 1; // of this unit in this batch

    QByteArray toLine() const; // with its '\n'
    // Nothing for a line that is no unit's record (a batch's start line, a torn line).
    static std::optional<LogRecord> fromLine(QByteArrayView line);
};

// What a batch writes first, so a log that cannot take a line is found before any sign is
// touched; it also tells the runs in one log apart.
struct StartRecord {
    QDateTime time;
    qint64 pid = 0;
    QString templateChecksum;
    int units = 0;
    QStringList ports;
    QByteArray toLine() const;
};

// One open log, locked (an advisory lock) against a second batch for as long as it is open.
// On POSIX systems the lock is the file's own (fcntl): this process must not open and close
// the log by another handle while it holds it, or the lock goes with that handle.
class BatchLog {
  public:
    BatchLog() = default;
    ~BatchLog();
    BatchLog(const BatchLog&) = delete;
    BatchLog& operator=(const BatchLog&) = delete;

    enum class Opened { Ok, Locked, Failed };
    // Creates the file when missing, locks it and reads its records. Locked: *holder is the
    // process holding it; Failed: *reason says why.
    Opened open(const QString& path, QString* reason, qint64* holder);
    // Writes line whole, or leaves the file as it was and says why. The line is not on the
    // disk before syncToDisk(handle()).
    bool write(const QByteArray& line, QString* reason);
    int handle() const { return file_.handle(); }
    const QList<LogRecord>& records() const { return records_; }
    QString path() const { return path_; }
    void close();

  private:
    QFile file_;
    std::unique_ptr<QLockFile> lock_; // where the file itself cannot be locked
    QString path_;
    QList<LogRecord> records_;
    bool needsNewline_ = false; // the file ended in a torn line
};

// Every record of a log file, read without locking it (the report).
QList<LogRecord> readRecords(const QByteArray& text);

} // namespace batch
