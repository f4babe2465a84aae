#pragma once

#include "editor/EditOutcome.h"
#include "editor/Flags.h"
#include "editor/SerialOutputRules.h"
#include "editor/ShownValues.h"
#include "settings/SettingTable.h"

#include <QJsonArray>

// What the rows of SettingTable.cpp are built from. A builder takes what a setting is (a flag
// at an offset, a coded list over a byte) and derives how the row reads its value, which bytes
// it covers, its rule and how a refresh shows it on its control.
namespace settings::rows {

using S = EditSession;
using I = Instance;

// --- Values as `show` prints them and `show --json` gives them ---------------------------------
QString orNone(const QString& text); // "(none)" for an empty text
Value boxValue(bool on);
Value textValue(const QString& text);
Value optionalText(const QString& text);
Value numberValue(int n, const QString& unit);
// A list's item as its caption; a list without a selection names the code it could not show.
Value itemValue(const S& s, const I& i, int code);

QList<int> span(int first, int count);
QString capcodeCaption(int c); // "Capcode #3"
QChar bitLetter(int f);
shown::Synthesizer synth(const S& s);
QString mhz(quint32 f); // f in units of 100 Hz: "159.0125"
// The function bits that hold anything, as `show --json` lists them.
QJsonArray functionBitsJson(const ParamImage& image);
// Every byte of capcode c's serial output record: each function bit's fields.
QList<int> capcodeRecordBytes(int c);

// --- Rules ----------------------------------------------------------------------------------
// Runs a row's EditOutcome rule: the page is shown again in the session when the rule asks
// and the held record (if any) collected.
EditOutcome runEdit(S& s, const I& i, const Input& in);
// The row's rule made of its EditOutcome rule: a refusal, or a record that did not collect.
RuleOutcome editRule(S& s, const I& i, const Input& in);
// "1,3,9" (or blanks between): the outputs switched on at power-up, each as its box is set.
RuleOutcome setPowerUpOutputs(S& s, const I& i, const Input& in);
// A list's pick as the window makes it: the rule on the item.
template <class Rule> auto pick(Rule rule) {
    return [rule](S& s, const I&, const Input& in) { return rule(s, in.item); };
}

// --- Builders -------------------------------------------------------------------------------
// A byte that reads "on" when 0 and is written 0 or 0xFF.
constexpr flags::Flag zeroIsOn(int offset) {
    return {offset, flags::ZeroIsOn};
}
// A control whose objectName is a stem and a number computed from the positions.
ByAt<QString> numberedAt(const char* stem, int (*n)(At));

// A check box that is one flag of the image: it shows the flag, and its rule sets it.
Setting flagBox(const char* key, ByAt<QString> caption, ByAt<QString> control,
                ByAt<flags::Flag> flag, const char* help);

// What a coded list shows for a code that no item stands for.
enum class Unknown {
    Kept,      // the item it showed before
    NoItem,    // no selection
    FirstItem, // its first item
};
// A drop-down list whose items stand for the codes of one image byte.
Setting codedList(const char* key, ByAt<QString> caption, ByAt<QString> control, ByAt<int> offset,
                  const shown::CodedList& list, Unknown unknown, const char* help);

// An edit of a number of seconds or minutes kept in one byte (0..255); tag names it to the
// rule (featurerules).
Setting byteNumber(const char* key, const QString& caption, const char* control, int offset,
                   int tag, const QString& unit, const char* help);
// An access password of up to ten characters; tag names it to the rule (passwordrules).
Setting password(const char* key, const QString& caption, const char* control, int offset, int tag,
                 QString (*shownText)(const ParamImage&), const char* help);
// A function command password (1 or 2): its length byte, then its characters.
Setting fcPassword(const char* key, const QString& caption, const char* control, int which,
                   int lengthOffset, const char* help);

// A field of a capcode's serial output record, typed over in the record as its edits show it,
// which is then collected whole as the window collects it.
using TypeOver = std::function<void(serialrules::FunctionBitTexts&, const Input&)>;
Setting recordField(const char* key, Kind kind, const QString& field, const char* stem,
                    ByAt<QList<int>> bytes, std::function<Value(const S&, At)> read,
                    TypeOver typeOver, const char* help);
// The header, trailer or time-out characters of a function bit, as pairs ("0D;0A;").
Setting recordPairs(const char* key, layout::Record r, const QString& field, const char* stem,
                    const char* help);

// A value shown but never typed: its caption (none when only `show --json` gives it), the
// bytes it is read from, and how it reads.
Setting shownValue(const char* key, const QString& caption, QList<int> bytes,
                   Value (*read)(const S&), bool inDiff = true);

// A row of `show` laid out with its neighbours.
Setting laidOut(Layout layout, Setting row);

} // namespace settings::rows
