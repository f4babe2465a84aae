#include "image/TableFile.h"

#include "core/Messages.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tablefile {

OpenResult open(const QString& path, ParamImage& image) {
    OpenResult result;
    // A named pipe or a device would block the reader or never end; table files are files.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        result.message = msg::openError;
        result.detail = msg::notRegularFile;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.message = msg::openError;
        result.detail = file.errorString();
        return result;
    }
    // A short file leaves zeros behind it; a long one contributes only its first image.
    QByteArray candidate = file.read(layout::kImageSize);
    if (file.error() != QFileDevice::NoError) {
        result.message = msg::openError;
        result.detail = file.errorString();
        return result;
    }
    file.close();
    candidate.append(QByteArray(layout::kImageSize - candidate.size(), '\0'));

    switch (classifyImage(candidate)) {
    case ImageKind::Full:
        image.assign(candidate);
        result.outcome = Outcome::Taken;
        break;
    case ImageKind::Pager:
        mergeCoreSettings(image, candidate);
        result.outcome = Outcome::Merged;
        result.message = msg::filePagerFormat(path);
        break;
    case ImageKind::Refused:
        result.outcome = Outcome::Refused;
        result.message = msg::fileRefused(path);
        break;
    }
    return result;
}

bool save(const QString& path, const ParamImage& image, QString* reason) {
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
    const QByteArray bytes = image.toByteArray();
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
#ifdef Q_OS_UNIX
    // The bytes reach the disk before the new file replaces the old one.
    if (::fsync(file.handle()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return fail(why);
    }
#endif
    // commit() closes and renames; any failure on the way leaves the old file.
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

QString captionWithFile(const QString& caption, const QString& name) {
    const qsizetype bracket = caption.indexOf(QLatin1Char('['));
    if (bracket >= 0)
        return caption.left(bracket + 1) + name + QLatin1Char(']');
    return caption + QStringLiteral(" - [") + name + QLatin1Char(']');
}

} // namespace tablefile
