#pragma once

#include "alpha/AlphaMessage.h"

#include <QByteArray>
#include <QString>
#include <optional>

class Exchange;

// A text sent to the sign's display controller as one display frame.
namespace alpha {

// The sign assembles a display frame in a buffer of this many bytes, stuffed, end byte
// included.
inline constexpr int kFrameBuffer = 3000;

// The data bytes of a text by its form. Text7 takes each character as one byte (Latin-1);
// Hex8 reads pairs of hexadecimal digits from the start, a trailing single digit making one
// more byte. Nothing, with the error text in *error, for a pair that is not hexadecimal or a
// character that has no byte.
std::optional<QByteArray> displayData(Form form, const QString& text, QString* error);

// The stuffed size of the display frame of these data, end byte included, counting its sum
// (known only when the frame is built, with the clock) as two stuffed bytes. A frame whose
// size this is not above kFrameBuffer fits at any time of day.
int worstFrameSize(int classNumber, const QByteArray& data);

struct SendOutcome {
    bool sent = false; // the frame went to the line (whether the sign took it or not)
    QString error;     // why nothing was sent, for the standard error box
};

// Converts the text, refuses data that cannot fit the sign's buffer, builds the display
// frame (the current sequence number, the clock's date and time) and sends it through the
// pass-through frame; then waits pauseMs whether or not the sign took it. The port must be
// open and linked; a failed exchange sets the transfer error flag.
SendOutcome sendTextToDisplay(Exchange& exchange, int classNumber, quint8 code, Form form,
                              const QString& text, int pauseMs);

} // namespace alpha
