#pragma once

#include "signcmd/SendText.h"

#include <QString>
#include <QtGlobal>
#include <optional>

// One alpha message as the "Alpha Data" dialog and `ledsign alpha` compose it: what the sign
// is to show, under which message ID, as normal or Russian text, typed as text or as
// hexadecimal pairs.
namespace alpha {

enum class Form : int {
    Text7 = 0, // "ASCII(7 bits)": the text's bytes as they are
    Hex8 = 1,  // "ASCII(8 bits)": pairs of hexadecimal digits, one byte per pair
};

struct Message {
    QString id = QStringLiteral("0"); // the message ID, decimal, as typed
    bool russian = false;
    Form form = Form::Text7;
    QString text; // lines separated by CR LF
};

// What the message text becomes when its form is picked: "Alpha" or "20212223".
QString sampleText(Form form);

inline quint8 displayCode(bool russian) {
    return russian ? signcmd::kCodeRussian : signcmd::kCodeText;
}

// The message ID as the class number of its display frame. Nothing, with the conversion
// error in *error, when the text is not a decimal integer.
std::optional<int> classNumber(const QString& idText, QString* error);

// Text whose lines end in LF, CR LF or CR, with its lines joined by CR LF as the dialog's
// message area gives them. With dropFinalLineEnd the line end after the last line goes, as
// a file or a pipe ends its last line with one.
QString joinLines(const QString& text, bool dropFinalLineEnd = false);

} // namespace alpha
