// `ledsign set FILE.tbl KEY=VALUE...`: changes a table file through the window's own rules.
#include "cli/Commands.h"
#include "cli/SetChange.h"
#include "core/Messages.h"
#include "editor/CapcodeRules.h"
#include "editor/DisplayRules.h"
#include "editor/FrequencyRules.h"
#include "editor/PagingRules.h"
#include "image/TableFile.h"

#include <QFileInfo>
#include <climits>
#include <vector>

namespace cli {

namespace {

// A value as the control takes it, read from the command line.
struct SetValue {
    std::vector<int> at; // the key's list positions from 0, in the order of its placeholders
    int item = -1;       // a list's item
    QString text;        // an edit's text
    bool checked = false;
};

enum class Kind { Item, Text, Check };
using Rule = RuleOutcome (*)(SetSession&, const SetValue&);

// One key: its path in `ledsign show --json`, where "<capcode>" stands for a capcode number
// 1..6 and "<bit>" for a function bit A..D (list positions as the window numbers them); how
// its value is read (a list's captions, an edit's text, a check box's true/false); the rule
// it runs. Adding a key is adding a row; a new kind of list position is a row in kSlots.
struct SetKey {
    const char* path;
    Kind kind;
    const QStringList& (*items)(); // Kind::Item only
    Rule rule;
    const char* help;
};

const SetKey kKeys[] = {
    {"frequency.band", Kind::Item, display::bandCaptions,
     [](SetSession& s, const SetValue& v) {
         return freqrules::chooseBand(s.image, s.tuning, v.item);
     },
     "Range Of Freq.; commits the band's default frequency"},
    {"frequency.freq", Kind::Text, nullptr,
     [](SetSession& s, const SetValue& v) {
         return freqrules::commitFrequency(s.image, s.tuning, v.text);
     },
     "Freq., in units of 100 Hz (1590125)"},
    {"frequency.baudRate", Kind::Item, display::pagingBaudCaptions,
     [](SetSession& s, const SetValue& v) {
         pagingrules::chooseBaud(s.image, v.item);
         return RuleOutcome::ok();
     },
     "Baud Rate"},
    {"frequency.polarity", Kind::Item, display::polarityCaptions,
     [](SetSession& s, const SetValue& v) {
         pagingrules::choosePolarity(s.image, v.item);
         return RuleOutcome::ok();
     },
     "Polarity"},
    {"capcodes.<capcode>.capcode", Kind::Text, nullptr,
     [](SetSession& s, const SetValue& v) {
         return capcoderules::typeCapcode(s.image, v.at[0], v.text);
     },
     "the capcode, 0..2097151"},
    {"capcodes.<capcode>.on", Kind::Check, nullptr,
     [](SetSession& s, const SetValue& v) {
         capcoderules::setCapcodeOn(s.image, v.at[0], v.checked);
         return RuleOutcome::ok();
     },
     "the capcode's ON box"},
    {"capcodes.<capcode>.types.<bit>", Kind::Item, display::messageTypeCaptions,
     [](SetSession& s, const SetValue& v) {
         capcoderules::setMessageType(s.image, v.at[0] * layout::kFunctionBits + v.at[1], v.item);
         return RuleOutcome::ok();
     },
     "the message type of a function bit"},
    {"testMode", Kind::Check, nullptr,
     [](SetSession& s, const SetValue& v) {
         capcoderules::setTestMode(s.image, v.checked);
         return RuleOutcome::ok();
     },
     "Test Mode"},
};

struct Slot {
    const char* name;
    QStringList values; // as typed in a key, position 0 first
    const char* range;
};
const std::vector<Slot>& keySlots() {
    static const std::vector<Slot> s = {
        {"<capcode>", {"1", "2", "3", "4", "5", "6"}, "1..6"},
        {"<bit>", {"A", "B", "C", "D"}, "A..D"},
    };
    return s;
}

// The row a typed key names, with its list positions; null when none does.
const SetKey* findKey(const QString& key, std::vector<int>& at) {
    const QStringList typed = key.split(QLatin1Char('.'));
    for (const SetKey& k : kKeys) {
        const QStringList pattern = QString::fromLatin1(k.path).split(QLatin1Char('.'));
        if (pattern.size() != typed.size())
            continue;
        at.clear();
        bool match = true;
        for (qsizetype i = 0; i < pattern.size() && match; ++i) {
            const Slot* slot = nullptr;
            for (const Slot& s : keySlots())
                if (pattern[i] == QLatin1String(s.name))
                    slot = &s;
            if (!slot) {
                match = pattern[i] == typed[i];
                continue;
            }
            const qsizetype pos = slot->values.indexOf(typed[i]);
            match = pos >= 0;
            at.push_back(int(pos));
        }
        if (match)
            return &k;
    }
    return nullptr;
}

QString quoted(const QStringList& items) {
    QStringList q;
    for (const QString& i : items)
        q << QLatin1Char('"') + i + QLatin1Char('"');
    return q.join(QStringLiteral(", "));
}

QStringList keyPatterns() {
    QStringList out;
    for (const SetKey& k : kKeys)
        out << QString::fromLatin1(k.path);
    return out;
}

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

// The value as the key's control takes it; false when it cannot (a text always can).
bool readValue(const SetKey& key, const QString& value, SetValue& v) {
    switch (key.kind) {
    case Kind::Item:
        v.item = findItem(key.items(), value);
        return v.item >= 0;
    case Kind::Text:
        v.text = value;
        return true;
    case Kind::Check:
        v.checked = value == QLatin1String("true");
        return v.checked || value == QLatin1String("false");
    }
    return false;
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
    for (const SetKey& k : kKeys) {
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
        d += QStringLiteral("  ") + QString::fromLatin1(k.path).leftJustified(32) +
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
    if (r.outcome == tablefile::Outcome::Unreadable) {
        seam.fileError(r.message);
        err() << msg::cli::fileReason(path, r.detail) << Qt::endl;
        return kExitFailure;
    }
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
    if (!tablefile::save(path, s.image, &reason)) {
        seam.fileError(msg::saveError);
        err() << msg::cli::fileReason(path, reason) << Qt::endl;
        return kExitFailure;
    }
    return kExitOk;
}

QStringList setKeys() {
    QStringList keys;
    for (const SetKey& k : kKeys) {
        QStringList expanded{QString()};
        for (const QString& part : QString::fromLatin1(k.path).split(QLatin1Char('.'))) {
            QStringList values{part};
            for (const Slot& s : keySlots())
                if (part == QLatin1String(s.name))
                    values = s.values;
            QStringList next;
            for (const QString& head : expanded)
                for (const QString& v : values)
                    next << (head.isEmpty() ? v : head + QLatin1Char('.') + v);
            expanded = next;
        }
        keys << expanded;
    }
    return keys;
}

SetResult applySetting(SetSession& session, const QString& key, const QString& value,
                       RuleOutcome* outcome) {
    SetValue v;
    const SetKey* k = findKey(key, v.at);
    if (!k)
        return SetResult::UnknownKey;
    if (!readValue(*k, value, v))
        return SetResult::NotAValue;
    *outcome = k->rule(session, v);
    return outcome->refused() ? SetResult::Refused : SetResult::Done;
}

} // namespace cli
