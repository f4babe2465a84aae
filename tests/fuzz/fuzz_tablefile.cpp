// Opening a table file as File, Open and `ledsign show` do: the model tag decides whether
// the file is taken whole, merged or refused, and what was taken is shown as text and as
// JSON. The input is the file.
#include "FuzzInput.h"
#include "image/ParamImage.h"
#include "image/TableFile.h"
#include "settings/EditSession.h"
#include "settings/SettingsReport.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace {

void show(const ParamImage& image) {
    settings::EditSession session;
    session.take(image);
    const QString text = settings::settingsText(session);
    const QByteArray json = QJsonDocument(settings::settingsJson(session)).toJson();
    if (text.isEmpty() || QJsonDocument::fromJson(json).isNull())
        qFatal("show printed nothing, or JSON that does not read back");
}

void openAndShow(const QString& path, ParamImage& image) {
    const ParamImage before = image;
    const tablefile::OpenResult r = tablefile::open(path, image);
    if (r.outcome == tablefile::Outcome::Unreadable)
        qFatal("a regular file was unreadable: %s", qPrintable(r.detail));
    if (!r.accepted() && !(image == before))
        qFatal("a refused file changed the image");
    show(image);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzApplication();
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("input.tbl"));

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();

    // Into the default image, as at start-up and on the command line...
    ParamImage fresh;
    openAndShow(path, fresh);
    // ...and into whatever the window held before, here the same bytes taken raw (so every
    // image content reaches the display rules, not only those with an accepted tag).
    ParamImage held;
    held.assign(bytes.left(4096).leftJustified(4096, '\0'));
    show(held);
    openAndShow(path, held);
    return 0;
}
