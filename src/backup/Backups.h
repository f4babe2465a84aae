#pragma once

#include "backup/BackupIndex.h"
#include "protocol/ReadKeeper.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <functional>

// The backups: every image read from a sign, kept as a read-only table file (0400) in a
// folder private to the user (0700, checked before each backup), with the index
// `index.jsonl`. The same bytes from the same port as that port's last backup are not written
// again: the new index line names the existing file. Kept: everything younger than a year, and
// always the newest hundred.
namespace backup {

// $XDG_DATA_HOME/ledsign-programmer/backups (by default ~/.local/share/...).
QString defaultFolder();

// True for a file inside folder (links followed): it is opened as an untitled copy.
bool isInFolder(const QString& path, const QString& folder = defaultFolder());

inline constexpr int kAlwaysKept = 100;
inline constexpr int kKeptDays = 365;

// The operation as shown: a "write" backup holds what the sign had before the write.
QString shownOperation(const QString& stored);

// The backup files of a folder, each with its index line's details where one is readable.
struct Listing {
    // Newest first. A file named by two lines (the same bytes kept twice) is listed twice; a
    // file no readable line names is listed once, from its name and bytes.
    QList<Entry> backups;
    QList<int> unreadableLines; // of the index, kept there as they are
};

// {"folder", "backups": [{"time", "port", "operation" (as shown), "capcode1", "firmware",
// "validBanks", "checksum", "file" (the whole path), "indexed"}], "unreadableIndexLines"}.
QJsonObject toJson(const Listing& listing, const QString& folder);

class Store : public ReadKeeper {
  public:
    explicit Store(QString folder = defaultFolder());

    // Keeps a reading; returns the backup file's whole path (an existing one when the bytes
    // repeat the port's last backup), or empty with *reason when it could not be kept.
    QString add(const SignReading& reading, QString* reason);
    bool keep(const SignReading& reading, QString* reason) override {
        return !add(reading, reason).isEmpty();
    }

    Listing listing() const;
    QList<Entry> entries() const { return listing().backups; }
    QString folder() const { return folder_; }
    QString indexPath() const;
    // The time stamped on the next backup; tests set it.
    void setClock(std::function<QDateTime()> now) { now_ = std::move(now); }

  private:
    QString addLocked(const SignReading& reading, QString* reason);
    void prune(const QDateTime& now);

    QString folder_;
    std::function<QDateTime()> now_;
};

} // namespace backup
