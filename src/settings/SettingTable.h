#pragma once

#include "editor/RuleOutcome.h"

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

// Every setting the window shows, described once: one row each. The report of `ledsign show`
// (text and JSON), the keys of `ledsign set` with their help, the lines of `ledsign diff` and
// the window's binding of its boxes, lists and edits are all read from these rows.
namespace settings {

class EditSession;

enum class Group { Top, Frequency, Capcodes, SerialOutput, OutputFeatures, Features };

enum class Kind {
    Box,        // a check box: "true" or "false"; its rule runs when its state changes
    List,       // a drop-down list: one of its captions
    Number,     // an edit that takes a number
    Text,       // an edit that takes text
    RecordText, // a field of a capcode's serial output record, as pairs
    RecordBox,  // the record's "Int. Fun. Cmd." box
    Shown,      // a value the window shows but nobody types (PLLR, MULT)
};

// How `ledsign show` lays a row out: a line of its own, nowhere (JSON only), or as part of one
// line with its neighbours.
enum class Layout {
    Line,
    Hidden,
    CapcodeLine,   // "Capcode #1: 1234567 ON   Fun Bit: A Alpha, ..."
    InCapcodeLine, // the ON box and the message types
    RecordLine,    // one line per function bit that holds anything
    InRecordLine,
    PowerUpLine, // "Power Up Output: ON, outputs: 1 3"
    InPowerUpLine,
};

// The list positions a key's placeholders stand for, counted from 0.
struct At {
    int a = -1, b = -1;
};

// A setting's value as `show` prints it and as `show --json` gives it.
struct Value {
    QString text;
    QJsonValue json;
};

// A value typed for a setting, read as its control takes it.
struct Input {
    int item = -1;
    QString text;
    bool checked = false;
};

struct Setting {
    // The path in `ledsign show --json` and the key of `ledsign set`; "<capcode>" stands for
    // 1..6, "<bit>" for A..D, "<output>" for 1..9.
    const char* key;
    Kind kind;
    Group group;
    Layout layout;
    QString (*caption)(At);
    // The objectName of the control that shows it; null when it has none of its own.
    QString (*control)(At);
    QList<int> (*bytes)(At); // the image bytes it covers
    // Null for a box: it shows what its control holds.
    Value (*read)(const EditSession&, At);
    // The rule. A box's runs when its state changes (EditSession::setBox); a list's after
    // the list took the item; an edit's when it is left. Null: the value cannot be set.
    RuleOutcome (*rule)(EditSession&, At, const Input&);
    const QStringList& (*items)(); // a list's captions
    const char* help;
    bool inDiff = true; // a setting of its own, as `diff` compares them
    // A row shown by a family of boxes (the nine power-up outputs): their objectNames, and the
    // rule each box runs when its state changes.
    QStringList (*family)() = nullptr;
    void (*familyRule)(EditSession&, int index, bool on) = nullptr;
};

const std::vector<Setting>& settingTable();
// A control's objectName from its stem and number: ("CheckBox", 3) is "CheckBox3".
QString numbered(const char* stem, int n);

// One row at its list positions, with its path written out ("capcodes.3.types.A").
struct Instance {
    const Setting* row = nullptr;
    At at;
    QString path;

    QString caption() const { return row->caption(at).trimmed(); }
    QString control() const { return row->control ? row->control(at) : QString(); }
    Value read(const EditSession& s) const;
};
// Every row at every position, in the table's order with the positions of each group of
// rows taken together (capcode #1's rows, then capcode #2's).
const QList<Instance>& instances();
const Instance* findInstance(const QString& path);
const Instance* findControl(const QString& objectName);

// Runs a setting's change as the window makes it: a box is set (its rule runs when the state
// changes), a list takes the item and runs its rule, an edit's rule runs on the text.
RuleOutcome apply(EditSession& session, const Instance& setting, const Input& input);
// The rule of the box with this objectName; nothing when no row names it.
void runBoxRule(EditSession& session, const QString& control, bool on);

// The placeholders of the keys.
struct Slot {
    const char* name;
    QStringList values; // as typed, position 0 first
    const char* range;
};
const std::vector<Slot>& keySlots();

// How a typed value reads for a setting; false when its control cannot take it.
bool readInput(const Setting& row, const QString& value, Input& input);
// "true or false", "one of ...", "text": what `set --help` says a key takes.
QString valuesTaken(const Setting& row);

// The keys `ledsign set` takes: as the table spells them, and with their positions written out
// ("capcodes.1.types.A").
QStringList keyPatterns();
QStringList settableKeys();
// The settable row a typed key names; null when none does.
const Instance* findKey(const QString& key);

enum class SetResult { Done, UnknownKey, NotAValue, Refused };
// KEY=VALUE read and made as `ledsign set` makes it; *outcome holds the rule's refusal.
SetResult applySetting(EditSession& session, const QString& key, const QString& value,
                       RuleOutcome* outcome);

} // namespace settings
