#pragma once

#include "editor/EditOutcome.h"
#include "editor/RuleOutcome.h"

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <type_traits>
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

struct Instance;

// A part of a row that may depend on the row's list positions: a value, or a function of the
// positions. Empty when the row has none.
template <class T> struct ByAt {
    std::function<T(At)> f;
    ByAt() = default;
    ByAt(T value) : f([value](At) { return value; }) {}
    ByAt(const char* text) requires std::is_same_v<T, QString> : ByAt(QString::fromLatin1(text)) {}
    template <class F>
    requires(std::is_invocable_r_v<T, F, At> && !std::is_convertible_v<F, T> &&
             !std::is_same_v<std::decay_t<F>, const char*>) ByAt(F fn)
        : f(std::move(fn)) {}
    T operator()(At at) const { return f(at); }
    explicit operator bool() const { return bool(f); }
};

// A row. The builders of RowBuilders.h fill it from what a setting is (a flag, a coded
// list, a byte); the few rows that are none of these fill it by name.
struct Setting {
    // The path in `ledsign show --json` and the key of `ledsign set`; "<capcode>" stands for
    // 1..6, "<bit>" for A..D, "<output>" for 1..9.
    const char* key;
    Kind kind;
    Group group = Group::Top; // given by the table's section
    Layout layout = Layout::Line;
    ByAt<QString> caption = {};
    // The objectName of the control that shows it; empty when it has none of its own.
    ByAt<QString> control = {};
    ByAt<QList<int>> bytes = {}; // the image bytes it is read from and its rule writes
    // The bytes of other settings its rule writes too, by design (the band commits its
    // default frequency). `diff` does not count them as this setting's.
    ByAt<QList<int>> alsoWrites = {};
    // Empty for a box: it shows what the session holds for it.
    std::function<Value(const EditSession&, const Instance&)> read = {};
    // The rule. A box's runs when its state changes (EditSession::setBox); a list's after
    // the list took the item; an edit's when it is left. Empty: the value cannot be set.
    std::function<RuleOutcome(EditSession&, const Instance&, const Input&)> rule = {};
    // The rule of an edit or list of the serial output and features pages, answering what it
    // asks of the window too (the stored text to show again, a held record that did not
    // collect); `rule` is derived from it.
    std::function<EditOutcome(EditSession&, const Instance&, const Input&)> edit = {};
    // What a refresh of the image sets on its box or list; empty for an edit, which shows
    // its value as read.
    std::function<void(EditSession&, const Instance&)> show = {};
    QStringList items = {}; // a list's captions
    const char* help = "";
    bool inDiff = true; // a setting of its own, as `diff` compares them
    // A row shown by a family of boxes (the nine power-up outputs): the objectName of each,
    // and the rule each box runs when its state changes.
    int familySize = 0;
    std::function<QString(int member)> familyControl = {};
    std::function<void(EditSession&, int member, bool on)> familyRule = {};
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
    QList<int> bytes() const { return row->bytes(at); }
    Value read(const EditSession& s) const;
    // What the session holds for a box of the family: "outputFeatures.powerUpOutputs.3".
    QString memberKey(int member) const {
        return path + QLatin1Char('.') + QString::number(member + 1);
    }
};
// Every row at every position, in the table's order with the positions of each group of
// rows taken together (capcode #1's rows, then capcode #2's).
const QList<Instance>& instances();
const Instance* findInstance(const QString& path);
const Instance* findControl(const QString& objectName);
// The session's key for the box or list with this objectName: its setting's path, or a
// family member's key; empty when no row names it.
QString stateKey(const QString& objectName);

// Runs a setting's change as the window makes it: a box is set (its rule runs when the state
// changes), a list takes the item and runs its rule, an edit's rule runs on the text.
RuleOutcome apply(EditSession& session, const Instance& setting, const Input& input);
// The same for the window, which shows everything the rule answers: an edit's rule answering
// an EditOutcome gives it whole; any other rule's outcome is its `outcome`.
EditOutcome applyEdit(EditSession& session, const Instance& setting, const Input& input);
// The rule of the box the session holds under this key; nothing when no row names it.
void runBoxRule(EditSession& session, const QString& key, bool on);

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
// The values a box or list takes, as a refusal names them: "true, false", "\"7\", \"8\"".
QString choices(const Setting& row);

// The keys `ledsign set` takes: as the table spells them, and with their positions written out
// ("capcodes.1.types.A").
QStringList keyPatterns();
QStringList settableKeys();
// The settable row a typed key names; null when none does.
const Instance* findKey(const QString& key);

// A KEY=VALUE change of `ledsign set` or of a batch's column, read before it is made.
struct Change {
    const Instance* setting = nullptr; // null when it cannot be read
    Input input;
    QString error; // why not: an unknown key, or a value its control cannot take
};
Change readChange(const QString& key, const QString& value);

} // namespace settings
