#pragma once

#include "protocol/ReadKeeper.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// The backups: every image read from a sign, kept as a table file in a folder private to the
// user, with an index of one JSON object per line (time, port, operation, firmware, valid
// banks, file name, checksum). Kept: everything younger than a year, and always the newest
// hundred.
namespace backup {

struct Entry {
    QDateTime time; // UTC
    QString port, operation, firmware;
    int validBanks = 0;
    QString file;     // the name inside the folder
    QString checksum; // SHA-256 of the file, hex
    quint32 capcode1 = 0;
    QString path; // the whole path
};

// $XDG_DATA_HOME/ledsign-programmer/backups (by default ~/.local/share/...).
QString defaultFolder();

inline constexpr int kAlwaysKept = 100;
inline constexpr int kKeptDays = 365;

class Store : public ReadKeeper {
  public:
    explicit Store(QString folder = defaultFolder());

    bool keep(const SignReading& reading, QString* reason) override {
        return keep(reading, reason, nullptr);
    }
    // As keep(), and *kept (when given) receives the entry of the file this call wrote.
    bool keep(const SignReading& reading, QString* reason, Entry* kept);
    // Newest first.
    QList<Entry> entries() const;
    QString folder() const { return folder_; }
    // The time stamped on the next backup; tests set it.
    void setClock(std::function<QDateTime()> now) { now_ = std::move(now); }

  private:
    void prune(QList<Entry>& entries, const QDateTime& now) const;
    bool writeIndex(const QList<Entry>& newestFirst, QString* reason) const;

    QString folder_;
    std::function<QDateTime()> now_;
};

} // namespace backup
