// `ledsign backups`: the backup folder's files, newest first, as a table or as JSON.
#include "backup/Backups.h"
#include "cli/Commands.h"
#include "core/Messages.h"

#include <QJsonDocument>

namespace cli {

int runBackups(const QStringList& args) {
    const QString kPath = QStringLiteral("path");
    const QString kJson = QStringLiteral("json");
    ArgParser p(args,
                QStringLiteral("Lists the backups of signs' settings, newest first, tab-separated "
                               "under a header line: time (UTC), port, operation, capcode #1, "
                               "firmware and file. Every read, compare and write keeps one; a "
                               "\"before write\" backup holds what the sign had before the write. "
                               "Every file of the folder is listed, with the index's details where "
                               "it has them."));
    p.addOption({kPath, QStringLiteral("Print the backup folder only.")});
    p.addOption({kJson, QStringLiteral("Print one JSON object instead.")});
    if (auto done = p.parse(0, 0))
        return *done;
    const backup::Store store;
    if (p.isSet(kPath)) {
        out() << store.folder() << Qt::endl;
        return kExitOk;
    }
    const backup::Listing listing = store.listing();
    if (!listing.unreadableLines.isEmpty())
        err() << msg::cli::backupIndexUnreadable(store.indexPath(), listing.unreadableLines)
              << Qt::endl;
    if (p.isSet(kJson)) {
        out() << QString::fromUtf8(QJsonDocument(backup::toJson(listing, store.folder())).toJson());
        out().flush();
        return kExitOk;
    }
    out() << msg::cli::backupsHeader << '\n';
    for (const backup::Entry& e : listing.backups)
        out() << e.time.toString(Qt::ISODate) << '\t' << e.port << '\t'
              << backup::shownOperation(e.operation) << '\t' << e.capcode1 << '\t' << e.firmware
              << '\t' << e.path << '\n';
    out().flush();
    return kExitOk;
}

} // namespace cli
