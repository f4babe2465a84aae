// `ledsign set FILE.tbl KEY=VALUE...`: changes a table file through the window's own rules.
#include "cli/Commands.h"
#include "cli/SetKeys.h"
#include "core/Messages.h"
#include "editor/DisplayRules.h"
#include "editor/FrequencyRules.h"
#include "editor/OutputRules.h"
#include "image/TableFile.h"

#include <QFileInfo>
#include <climits>
#include <vector>

namespace cli {

namespace {

QString quoted(const QStringList& items) {
    QStringList q;
    for (const QString& i : items)
        q << QLatin1Char('"') + i + QLatin1Char('"');
    return q.join(QStringLiteral(", "));
}

QString description() {
    QString d = QStringLiteral(
        "Changes settings of a table file through the window's own rules, one after another in "
        "the order given, as a technician would make them in the window, then saves the file "
        "(atomically). The first refused change prints the window's message on standard error, "
        "exits 1 and leaves the file as it was; an unknown key or a value the control cannot "
        "take exits 2.\n\nKeys (their paths in 'ledsign show --json'");
    for (const Slot& s : keySlots())
        d += QStringLiteral("; ") + QString::fromLatin1(s.name) + QStringLiteral(" is ") +
             QString::fromLatin1(s.range);
    d += QStringLiteral("):\n");
    for (const SetKey& k : setKeyTable()) {
        QString values;
        switch (k.kind) {
        case Kind::Item:
            values = QStringLiteral("one of ") + quoted(k.items());
            break;
        case Kind::Text:
            values = QStringLiteral("text");
            break;
        case Kind::Check:
            values = QStringLiteral("true or false");
            break;
        }
        // A key too long for its column goes on a line of its own, its help below it: run
        // together, neither a reader nor the manual page could tell where the key ends.
        constexpr qsizetype kColumn = 32;
        const QString key = QString::fromLatin1(k.path);
        d += QStringLiteral("  ") +
             (key.size() + 2 <= kColumn
                  ? key.leftJustified(kColumn)
                  : key + QLatin1Char('\n') + QString(2 + kColumn, QLatin1Char(' '))) +
             QString::fromLatin1(k.help) + QStringLiteral(": ") + values + QLatin1Char('\n');
    }
    return d;
}

struct Change {
    QString argument;
    const SetKey* key;
    SetValue value;
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
        Change c{a, nullptr, {}};
        const QString key = a.left(eq), value = a.mid(eq + 1);
        c.key = findKey(key, c.value.at);
        if (!c.key)
            return p.usageError(msg::cli::unknownKey(key, keyPatterns()));
        if (!readValue(*c.key, value, c.value))
            return p.usageError(msg::cli::notAnItem(key, value,
                                                    c.key->kind == Kind::Check
                                                        ? QStringLiteral("true, false")
                                                        : quoted(c.key->items())));
        changes.push_back(c);
    }

    SetSession s;
    const tablefile::OpenResult r = tablefile::open(QFileInfo(path).absoluteFilePath(), s.image);
    if (r.outcome == tablefile::Outcome::Unreadable)
        return fileFailure(seam, r.message, path, r.detail);
    if (r.outcome == tablefile::Outcome::Refused) {
        seam.error(r.message);
        return kExitFailure;
    }
    if (!r.message.isEmpty())
        seam.message(r.message);
    // As the window shows a file it opened.
    freqrules::followBand(s.image, s.tuning);
    freqrules::retune(s.image, s.tuning);
    s.image.writeModelTag();
    s.periodScale = outputrules::prescalerScale(
                        display::prescalerItem(s.image.at(layout::kPeriodPrescaler)).value_or(0))
                        .value_or(1);

    for (const Change& c : changes) {
        const RuleOutcome o = c.key->rule(s, c.value);
        if (o.refused()) {
            err() << o.text << Qt::endl;
            if (!p.quiet())
                err() << msg::cli::changeRefused(c.argument, path) << Qt::endl;
            return kExitFailure;
        }
    }
    QString reason;
    if (!tablefile::save(path, s.image, &reason))
        return fileFailure(seam, msg::saveError, path, reason);
    return kExitOk;
}

} // namespace cli
