#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

// The index of the backup folder, `index.jsonl`: one JSON object per backup, appended as each
// is kept (time, port, operation, firmware, valid banks, file name, checksum, capcode #1).
// Lines are read with a bounded length, and a line that cannot be read is never dropped: it
// stays in the file as it is, and its number is reported.
namespace backup {

struct Entry {
    QDateTime time; // UTC
    QString port;
    QString operation; // as stored: "read", "write" (what the sign held before it), "compare"
    QString firmware;
    int validBanks = 0;
    QString file;     // the name inside the folder
    QString checksum; // SHA-256 of the file, hex
    quint32 capcode1 = 0;
    QString path;      // the whole path
    int indexLine = 0; // its line in the index (from 1); 0 for a file the index does not name
};

// A normal line takes a few hundred bytes; a longer one is kept but not read.
inline constexpr qsizetype kMaxIndexLine = qsizetype(16) * 1024;

// A backup's file name: a plain name inside the folder, ending ".tbl".
bool isBackupFileName(const QString& name);

// One index line as an entry (path inside folder); nothing when the line is not one.
std::optional<Entry> parseIndexLine(const QByteArray& line, const QString& folder);
// The line that stores e, with its newline.
QByteArray indexLine(const Entry& e);

struct IndexContents {
    QList<Entry> entries;       // the readable lines, in the file's order
    QList<int> unreadableLines; // the others (damaged, not a backup's, too long), from 1
};
// Reads an index; a missing file is an empty index.
IndexContents readIndex(QIODevice& in, const QString& folder, qsizetype maxLine = kMaxIndexLine);
IndexContents readIndexFile(const QString& indexPath, qsizetype maxLine = kMaxIndexLine);

// Appends e's line, synced; after a newline first when the last line lacks one, so a line cut
// short by a crash does not swallow it. A new index is private to the user.
bool appendIndexLine(const QString& indexPath, const Entry& e, QString* reason);

// Rewrites the index without the readable lines for which drop() is true (given each entry
// with its indexLine); every other line,
// unreadable ones however long included, stays byte for byte. Replaced whole or not at all.
bool rewriteIndex(const QString& indexPath, const std::function<bool(const Entry&)>& drop,
                  QString* reason, qsizetype maxLine = kMaxIndexLine);
// The same from one device to another (the fuzz target's and the tests' way in).
bool copyIndex(QIODevice& in, QIODevice& out, const QString& folder,
               const std::function<bool(const Entry&)>& drop, qsizetype maxLine = kMaxIndexLine);

} // namespace backup
