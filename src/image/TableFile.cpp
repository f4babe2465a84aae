#include "image/TableFile.h"

#include "core/Messages.h"
#include "image/AtomicSave.h"

#include <QFile>
#include <QFileInfo>

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

    switch (takeImage(image, candidate)) {
    case ImageKind::Full:
        result.outcome = Outcome::Taken;
        break;
    case ImageKind::Pager:
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
    return saveAtomically(path, image.toByteArray(), reason);
}

QString captionWithFile(const QString& caption, const QString& name) {
    const qsizetype bracket = caption.indexOf(QLatin1Char('['));
    if (bracket >= 0)
        return caption.left(bracket + 1) + name + QLatin1Char(']');
    return caption + QStringLiteral(" - [") + name + QLatin1Char(']');
}

} // namespace tablefile
