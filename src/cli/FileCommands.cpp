#include "cli/Commands.h"
#include "core/Messages.h"
#include "image/TableFile.h"
#include "settings/EditSession.h"
#include "settings/SettingsReport.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace cli {

namespace {

const QString kFileArg = QStringLiteral("file");
const QString kFileHelp = QStringLiteral("The table file (.tbl).");

// The window names a file by its full path in every message.
QString fullName(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

int runNew(const QStringList& args) {
    ArgParser p(args, QStringLiteral("Writes the default image (4096 bytes) to a new table file."));
    p.addPositional(kFileArg, QStringLiteral("The table file to write (.tbl)."));
    p.addOption({{QStringLiteral("f"), QStringLiteral("force")},
                 QStringLiteral("Replace the file when it exists.")});
    if (auto done = p.parse(1, 1))
        return *done;
    CliSeam seam(p.presets());
    const QString path = p.positional().first();

    if (QFileInfo::exists(path) && !p.isSet(QStringLiteral("force"))) {
        err() << msg::cli::fileExists(path) << Qt::endl;
        return kExitFailure;
    }
    QString reason;
    if (!tablefile::save(path, ParamImage(), &reason))
        return fileFailure(seam, msg::saveError, path, reason);
    return kExitOk;
}

int runShow(const QStringList& args) {
    ArgParser p(args, QStringLiteral("Prints the settings of a table file with the window's "
                                     "captions. A plain pager receiver's file is shown merged "
                                     "into the default image, as File, Open takes it."));
    p.addPositional(kFileArg, kFileHelp);
    p.addOption({QStringLiteral("json"), QStringLiteral("Print one JSON object instead.")});
    if (auto done = p.parse(1, 1))
        return *done;
    CliSeam seam(p.presets());
    const QString path = p.positional().first();

    ParamImage image;
    const std::optional<tablefile::OpenResult> opened = openTableOrFail(path, image, seam);
    if (!opened)
        return kExitFailure;
    const tablefile::OpenResult& r = *opened;

    // As a window just started shows the file it opened.
    settings::EditSession session;
    session.take(image);
    if (p.isSet(QStringLiteral("json"))) {
        QJsonObject o = settings::settingsJson(session);
        o.insert(QStringLiteral("file"), fullName(path));
        o.insert(QStringLiteral("merged"), r.outcome == tablefile::Outcome::Merged);
        if (!r.message.isEmpty())
            o.insert(QStringLiteral("message"), r.message);
        out() << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
        out().flush();
        return kExitOk;
    }
    if (!r.message.isEmpty())
        seam.message(r.message);
    out() << settings::settingsText(session);
    out().flush();
    return kExitOk;
}

int runCheck(const QStringList& args) {
    ArgParser p(
        args, QStringLiteral("Tells how File, Open would take a table file: prints \"full image\", "
                             "or the message the window shows for a plain pager receiver's file "
                             "(merged) or a refused file. Exit 0 when taken or merged, 1 when "
                             "refused or unreadable."));
    p.addPositional(kFileArg, kFileHelp);
    if (auto done = p.parse(1, 1))
        return *done;
    CliSeam seam(p.presets());
    const QString path = p.positional().first();

    ParamImage image;
    const std::optional<tablefile::OpenResult> r = openTableOrFail(path, image, seam);
    if (!r)
        return kExitFailure;
    seam.message(r->outcome == tablefile::Outcome::Taken ? msg::cli::fullImage : r->message);
    return kExitOk;
}

} // namespace cli
