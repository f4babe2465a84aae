#include "backup/PrivateFolder.h"

#include "core/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace backup {

QString preparePrivateFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(folder);
    struct stat link {};
    if (::lstat(path.constData(), &link) != 0) {
        if (!QDir().mkpath(folder))
            return msg::backupFolderNotMade(folder);
        if (::chmod(path.constData(), S_IRWXU) != 0)
            return msg::backupFolderNotMade(folder);
        if (::lstat(path.constData(), &link) != 0)
            return msg::backupFolderNotMade(folder);
    }
    struct stat target {};
    if (::stat(path.constData(), &target) != 0 || !S_ISDIR(target.st_mode))
        return msg::backupFolderNotFolder(folder);
    const QString shown = S_ISLNK(link.st_mode)
                              ? msg::backupFolderLink(folder, QFileInfo(folder).canonicalFilePath())
                              : folder;
    if (target.st_uid != ::geteuid())
        return msg::backupFolderNotOwned(shown);
    if (target.st_mode & (S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH))
        return msg::backupFolderShared(shown);
    return {};
#else
    return QDir().mkpath(folder) ? QString() : msg::backupFolderNotMade(folder);
#endif
}

} // namespace backup
