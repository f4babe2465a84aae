// Finding the rows: every row at every position, by path, by control and by key; running a
// change through a row; reading a typed change.
#include "core/Messages.h"
#include "settings/EditSession.h"
#include "settings/RowBuilders.h"
#include "settings/SettingTable.h"

#include <QHash>
#include <cstring>

namespace settings {

QString numbered(const char* stem, int n) {
    return QLatin1String(stem) + QString::number(n);
}

namespace {

// The first placeholder of a key from `from` on: where it starts, and its slot.
struct Placeholder {
    qsizetype at = -1;
    const Slot* slot = nullptr;
};
Placeholder nextPlaceholder(const QString& key, qsizetype from) {
    Placeholder best;
    for (const Slot& s : keySlots()) {
        const qsizetype i = key.indexOf(QLatin1String(s.name), from);
        if (i >= 0 && (best.at < 0 || i < best.at))
            best = {i, &s};
    }
    return best;
}

// Rows [first, last) with `done` placeholders bound: runs of rows that share the next
// placeholder (and everything before it) are expanded together, position by position.
void expand(QList<Instance>& out, const std::vector<Setting>& rows, size_t first, size_t last,
            int done, At at, const QStringList& bound) {
    auto boundKey = [&](const Setting& r) {
        QString key = QString::fromLatin1(r.key);
        for (const QString& value : bound) {
            const Placeholder p = nextPlaceholder(key, 0);
            key.replace(p.at, qsizetype(strlen(p.slot->name)), value);
        }
        return key;
    };
    for (size_t i = first; i < last;) {
        const QString key = boundKey(rows[i]);
        const Placeholder p = nextPlaceholder(key, 0);
        if (p.at < 0) {
            out << Instance{&rows[i], at, key};
            ++i;
            continue;
        }
        const QString prefix = key.left(p.at + qsizetype(strlen(p.slot->name)));
        size_t j = i + 1;
        while (j < last && boundKey(rows[j]).startsWith(prefix))
            ++j;
        for (int v = 0; v < p.slot->values.size(); ++v) {
            At next = at;
            (done == 0 ? next.a : next.b) = v;
            expand(out, rows, i, j, done + 1, next, bound + QStringList{p.slot->values.at(v)});
        }
        i = j;
    }
}

} // namespace

Value Instance::read(const EditSession& s) const {
    return row->read ? row->read(s, *this) : rows::boxValue(s.box(path));
}

const QList<Instance>& instances() {
    static const QList<Instance> all = [] {
        QList<Instance> out;
        const std::vector<Setting>& rows = settingTable();
        expand(out, rows, 0, rows.size(), 0, At{}, {});
        return out;
    }();
    return all;
}

const Instance* findInstance(const QString& path) {
    static const QHash<QString, const Instance*> byPath = [] {
        QHash<QString, const Instance*> h;
        for (const Instance& i : instances())
            h.insert(i.path, &i);
        return h;
    }();
    return byPath.value(path, nullptr);
}

namespace {
// A box or list the session holds: its setting, and its place in a family (-1: none).
struct Held {
    const Instance* setting = nullptr;
    int member = -1;
    QString key;
};
// Every control by its objectName, and every key the session holds: the window maps its
// controls to the session's keys through this once.
struct Controls {
    QHash<QString, Held> byName;
    QHash<QString, Held> byKey;
};
const Controls& controls() {
    static const Controls c = [] {
        Controls out;
        for (const Instance& i : instances()) {
            if (i.row->control && !out.byName.contains(i.control())) {
                const Held h{&i, -1, i.path};
                out.byName.insert(i.control(), h);
                out.byKey.insert(i.path, h);
            }
            for (int m = 0; m < i.row->familySize; ++m) {
                const Held h{&i, m, i.memberKey(m)};
                out.byName.insert(i.row->familyControl(m), h);
                out.byKey.insert(h.key, h);
            }
        }
        return out;
    }();
    return c;
}
} // namespace

const Instance* findControl(const QString& objectName) {
    return controls().byName.value(objectName).setting;
}

QString stateKey(const QString& objectName) {
    return controls().byName.value(objectName).key;
}

void runBoxRule(EditSession& session, const QString& key, bool on) {
    const Held h = controls().byKey.value(key);
    if (!h.setting)
        return;
    if (h.member >= 0)
        h.setting->row->familyRule(session, h.member, on);
    else if (h.setting->row->kind == Kind::Box && h.setting->row->rule)
        h.setting->row->rule(session, *h.setting, Input{-1, QString(), on});
}

RuleOutcome apply(EditSession& session, const Instance& setting, const Input& input) {
    const Setting& row = *setting.row;
    if (!row.rule)
        return RuleOutcome::ok();
    switch (row.kind) {
    case Kind::Box:
        session.setBox(setting.path, input.checked);
        return RuleOutcome::ok();
    case Kind::List:
        // The window's lists run their rule on every pick, the item it had included.
        session.setItem(setting.path, input.item);
        return row.rule(session, setting, input);
    default:
        return row.rule(session, setting, input);
    }
}

EditOutcome applyEdit(EditSession& session, const Instance& setting, const Input& input) {
    const Setting& row = *setting.row;
    if (!row.edit)
        return {apply(session, setting, input)};
    if (row.kind == Kind::List)
        session.setItem(setting.path, input.item);
    return rows::runEdit(session, setting, input);
}

const std::vector<Slot>& keySlots() {
    static const std::vector<Slot> s = {
        {"<capcode>", {"1", "2", "3", "4", "5", "6"}, "1..6"},
        {"<bit>", {"A", "B", "C", "D"}, "A..D"},
        {"<output>", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, "1..9"},
    };
    return s;
}

namespace {
// The list item a value names: its caption exactly, or else the one caption it matches
// without regard to case and surrounding blanks (" 512 bps" as "512 bps").
int findItem(const QStringList& items, const QString& value) {
    if (const qsizetype i = items.indexOf(value); i >= 0)
        return int(i);
    int found = -1;
    for (int i = 0; i < items.size(); ++i)
        if (items[i].trimmed().compare(value.trimmed(), Qt::CaseInsensitive) == 0) {
            if (found >= 0)
                return -1;
            found = i;
        }
    return found;
}
} // namespace

bool readInput(const Setting& row, const QString& value, Input& input) {
    switch (row.kind) {
    case Kind::List:
        input.item = findItem(row.items, value);
        return input.item >= 0;
    case Kind::Box:
    case Kind::RecordBox:
        input.checked = value == QLatin1String("true");
        return input.checked || value == QLatin1String("false");
    default:
        input.text = value;
        return true;
    }
}

QString choices(const Setting& row) {
    if (row.kind != Kind::List)
        return QStringLiteral("true, false");
    QStringList q;
    for (const QString& i : row.items)
        q << QLatin1Char('"') + i + QLatin1Char('"');
    return q.join(QStringLiteral(", "));
}

QString valuesTaken(const Setting& row) {
    switch (row.kind) {
    case Kind::List:
        return QStringLiteral("one of ") + choices(row);
    case Kind::Box:
    case Kind::RecordBox:
        return QStringLiteral("true or false");
    default:
        return QStringLiteral("text");
    }
}

QStringList keyPatterns() {
    QStringList out;
    for (const Setting& row : settingTable())
        if (row.rule)
            out << QString::fromLatin1(row.key);
    return out;
}

QStringList settableKeys() {
    QStringList out;
    for (const Instance& i : instances())
        if (i.row->rule)
            out << i.path;
    return out;
}

const Instance* findKey(const QString& key) {
    const Instance* i = findInstance(key);
    return i && i->row->rule ? i : nullptr;
}

Change readChange(const QString& key, const QString& value) {
    Change c;
    const Instance* i = findKey(key);
    if (!i) {
        c.error = msg::cli::unknownKey(key, keyPatterns());
        return c;
    }
    if (!readInput(*i->row, value, c.input)) {
        c.error = msg::cli::notAnItem(key, value, choices(*i->row));
        return c;
    }
    c.setting = i;
    return c;
}

} // namespace settings
