#pragma once

#include <QByteArray>
#include <QString>

// What the user keeps (table files, command files, backups, batch logs) is replaced whole or
// not at all: the bytes go to a temporary file in the same folder, reach the disk, and the
// temporary file is renamed over the target. False when anything fails; then the target is
// as it was. A target that exists but is not a regular file (a folder, a device) is refused.
// reason, when given, receives the system's explanation of a failure.
bool saveAtomically(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// Puts what was written through a file's handle (QFileDevice::handle()) on the disk. Only the
// handle is used, so it may run on another thread while the file stays open.
bool syncToDisk(int handle, QString* reason = nullptr);
