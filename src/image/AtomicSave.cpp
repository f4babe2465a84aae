#include "image/AtomicSave.h"

#include "core/Messages.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#else
#include <io.h>
#endif

bool syncToDisk(int handle, QString* reason) {
#ifdef Q_OS_UNIX
    if (::fsync(handle) == 0)
        return true;
#else
    if (::_commit(handle) == 0)
        return true;
#endif
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool saveAtomically(const QString& path, const QByteArray& bytes, QString* reason) {
    auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    // Renaming a temporary file over a folder or a device node would destroy it (or, for a
    // device, replace it with a plain file when run with enough rights).
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return fail(msg::notRegularFile);

    // Unbuffered, so a short write (a full disk) shows in write()'s count: a buffered flush
    // inside commit() takes a partial write for success.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const QString why = file.errorString();
            file.cancelWriting();
            return fail(why.isEmpty() ? QStringLiteral("write failed") : why);
        }
        written += n;
    }
    // The bytes reach the disk before the new file replaces the old one.
    if (QString why; !syncToDisk(file.handle(), &why)) {
        file.cancelWriting();
        return fail(why);
    }
    // commit() closes and renames; any failure on the way leaves the old file.
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
