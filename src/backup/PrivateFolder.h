#pragma once

#include <QString>

// The backups hold the signs' passwords: their folder is the user's alone.
namespace backup {

// Makes the folder when it is missing (mode 0700) and returns why an existing one must not
// hold backups: it is not a folder, another user owns it, or the group or others may read or
// write it (for a link, the folder it leads to). Empty when it may. Nothing is changed on an
// existing folder: whoever opened it up may have meant to.
QString preparePrivateFolder(const QString& folder);

} // namespace backup
