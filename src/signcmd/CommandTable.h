#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The 34 commands of the sign's display controller, declared once: the dialog, the command
// files and sending all read this table.
namespace signcmd {

enum class Coding {
    Text,     // the control's text
    Index0,   // selected index, upper-case hexadecimal
    Index1,   // selected index + 1, upper-case hexadecimal
    TypeCode, // the character of "12ABab" at the selected index
};

struct Command {
    int number;
    const char* keyword;
    QString description;
    const char* control; // objectName of the value control
    QStringList items;   // empty: an edit
    int limit;           // an edit's maximum length
    Coding coding;
    const char* defaultValue;
};

inline constexpr int kCommandCount = 34;
inline constexpr int kDefaultMessage = 12;
inline constexpr int kDateCommand = 2; // yymmdd, from the clock at each activation
inline constexpr int kTimeCommand = 4; // hhmmss
inline constexpr char kTypeCodes[] = "12ABab";

const std::array<Command, kCommandCount>& commands();
// Command numbers in the order saving, loading and sending walk the controls.
const std::array<int, kCommandCount>& controlOrder();
// The built-in default of a keyword; a single space for one the table does not know.
QString defaultValue(const QString& keyword);

// What a control shows: its text and, for a list, the selected item (-1 for none).
struct ControlValue {
    QString text;
    int index = -1;
};
// The command value of a control by its coding.
QString encode(const Command& c, const ControlValue& v);
// A stored value into a control. A coded list given a value that is not hexadecimal gives
// nothing (the conversion error); a number that is no item's leaves no item selected, the
// number as the list's text; a type
// code of another character leaves the selection as it was.
std::optional<ControlValue> decode(const Command& c, const QString& stored,
                                   const ControlValue& before);
// "'X' is not a valid integer value" for a value decode refused.
QString conversionError(const QString& stored);

} // namespace signcmd
