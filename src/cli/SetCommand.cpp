// `ledsign set FILE.tbl KEY=VALUE...`: changes a table file through the window's own rules.
#include "cli/Commands.h"
#include "core/Messages.h"
#include "image/TableFile.h"
#include "settings/EditSession.h"
#include "settings/SettingTable.h"

#include <QFileInfo>
#include <climits>
#include <vector>

namespace cli {

namespace {

QString description() {
    QString d = QStringLiteral(
        "Changes settings of a table file through the window's own rules, one after another in "
        "the order given, as a technician would make them in the window, then saves the file "
        "(atomically). The first refused change prints the window's message on standard error, "
        "exits 1 and leaves the file as it was; an unknown key or a value the control cannot "
        "take exits 2.\n\nKeys (their paths in 'ledsign show --json'");
    for (const settings::Slot& s : settings::keySlots())
        d += QStringLiteral("; ") + QString::fromLatin1(s.name) + QStringLiteral(" is ") +
             QString::fromLatin1(s.range);
    d += QStringLiteral("):\n");
    for (const settings::Setting& row : settings::settingTable()) {
        if (!row.rule)
            continue;
        // A key too long for its column goes on a line of its own, its help below it: run
        // together, neither a reader nor the manual page could tell where the key ends.
        constexpr qsizetype kColumn = 32;
        const QString key = QString::fromLatin1(row.key);
        d += QStringLiteral("  ") +
             (key.size() + 2 <= kColumn
                  ? key.leftJustified(kColumn)
                  : key + QLatin1Char('\n') + QString(2 + kColumn, QLatin1Char(' '))) +
             QString::fromLatin1(row.help) + QStringLiteral(": ") + settings::valuesTaken(row) +
             QLatin1Char('\n');
    }
    return d;
}

struct Change {
    QString argument;
    settings::Change change;
};

} // namespace

int runSet(const QStringList& args) {
    ArgParser p(args, description());
    p.addPositional(QStringLiteral("file"), QStringLiteral("The table file (.tbl)."));
    p.addPositional(QStringLiteral("settings"), QStringLiteral("The changes, in order."),
                    QStringLiteral("KEY=VALUE..."));
    if (auto done = p.parse(2, INT_MAX))
        return *done;
    CliSeam seam(p.presets());
    const QStringList pos = p.positional();
    const QString path = pos.first();

    // Every change is read before any is made, so a usage error changes nothing.
    std::vector<Change> changes;
    for (const QString& a : pos.mid(1)) {
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return p.usageError(msg::cli::notKeyValue(a));
        const settings::Change c = settings::readChange(a.left(eq), a.mid(eq + 1));
        if (!c.setting)
            return p.usageError(c.error);
        changes.push_back({a, c});
    }

    ParamImage image;
    const std::optional<tablefile::OpenResult> r = openTableOrFail(path, image, seam);
    if (!r)
        return kExitFailure;
    if (!r->message.isEmpty())
        seam.message(r->message);
    // As a window just started opens the file.
    settings::EditSession s;
    s.take(image);

    for (const Change& c : changes) {
        const RuleOutcome o = settings::apply(s, *c.change.setting, c.change.input);
        if (o.refused()) {
            err() << o.text << Qt::endl;
            if (!p.quiet())
                err() << msg::cli::changeRefused(c.argument, path) << Qt::endl;
            return kExitFailure;
        }
    }
    // As the window's Save: the selected capcode's groups are collected first.
    s.collectRecord();
    QString reason;
    if (!tablefile::save(path, s.image(), &reason))
        return fileFailure(seam, msg::saveError, path, reason);
    return kExitOk;
}

} // namespace cli
