#pragma once

#include "cli/SetChange.h"

#include <QString>
#include <QStringList>
#include <vector>

// The key table of `ledsign set` and the reading of its keys and values, shared by the
// subcommand (SetCommand.cpp) and the one-change seam of SetChange.h.
namespace cli {

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
// it runs. Adding a key is adding a row; a new kind of list position is a row in keySlots().
struct SetKey {
    const char* path;
    Kind kind;
    const QStringList& (*items)(); // Kind::Item only
    Rule rule;
    const char* help;
};

// Every key, in the order `--help` lists them.
const std::vector<SetKey>& setKeyTable();

// A list position a key's path can hold ("<capcode>"), with what may be typed for it.
struct Slot {
    const char* name;
    QStringList values; // as typed in a key, position 0 first
    const char* range;
};
const std::vector<Slot>& keySlots();

// The row a typed key names, with its list positions; null when none does.
const SetKey* findKey(const QString& key, std::vector<int>& at);
// The value as the key's control takes it; false when it cannot (a text always can).
bool readValue(const SetKey& key, const QString& value, SetValue& v);
// Every key's path, placeholders as written.
QStringList keyPatterns();

} // namespace cli
