#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Zip files through libzip: written whole (libzip writes a temporary file beside the target
// and renames it when done), read back member by member.
namespace ziparchive {

struct Member {
    QString name; // the path inside the zip, '/' between folders
    QByteArray data;
};

// Writes the members, compressed, to path (replacing it). False with the reason.
bool write(const QString& path, const QList<Member>& members, QString* error);
// Every member of a zip file, in order; nothing when it cannot be read.
std::optional<QList<Member>> read(const QString& path, QString* error = nullptr);

} // namespace ziparchive
