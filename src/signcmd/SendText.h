#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

class Exchange;

// One text for the sign's display controller, sent as one display frame inside one
// pass-through frame. Used by "LED Sign Command" and "Alpha Data".
namespace signcmd {

// The sign takes a display frame of at most this many bytes, stuffing and end byte included.
inline constexpr int kDisplayBufferSize = 3000;
inline constexpr int kDisplayPauseMs = 1500;
inline constexpr quint8 kCodeText = 0x61;    // 'a': normal text
inline constexpr quint8 kCodeRussian = 0x72; // 'r': Russian text

enum class DataForm {
    Text = 0, // the text's bytes as they are
    Hex = 1,  // pairs of hexadecimal digits, one byte each; a trailing digit alone is one more
};

// How long the display controller is given after each frame. Tests shorten it.
struct DisplayTiming {
    int pauseMs = kDisplayPauseMs;
};

enum class SendResult {
    Sent,    // acknowledged
    Failed,  // no or a negative acknowledgement (transfer error flag set)
    TooLong, // refused before building: the frame would not fit kDisplayBufferSize
    NotHex,  // form 1 text with a pair that is not hexadecimal; nothing sent
};

// The data bytes of a text in the given form; for form 1 nothing when a pair (or the trailing
// digit) is not hexadecimal, with that pair as written in *badPair.
std::optional<QByteArray> displayData(const QByteArray& text, DataForm form,
                                      QString* badPair = nullptr);

// Builds the display frame (class byte 33 + classNumber, the exchange's clock for the date
// fields, the current sequence number) and sends it with SendToDisplay, then pauses
// timing.pauseMs whether it was acknowledged or not; during the pause the window keeps
// breathing (painting, the progress bar) while the exchange lock keeps input away. A text
// refused (TooLong, NotHex) is reported through the exchange's user seam, sets the transfer
// error flag so that a caller walking several texts stops, and costs no pause; nothing of a
// frame too long for the sign's buffer goes on the line. The port must
// be open and linked.
SendResult SendTextToDisplay(Exchange& exchange, int classNumber, quint8 code, DataForm form,
                             const QByteArray& text, const DisplayTiming& timing = {});
// The same for a text typed in the window: 8-bit (Latin-1).
SendResult SendTextToDisplay(Exchange& exchange, int classNumber, quint8 code, DataForm form,
                             const QString& text, const DisplayTiming& timing = {});

// Lets the window breathe for ms milliseconds on the exchange's user seam.
void displayPause(Exchange& exchange, int ms);

} // namespace signcmd
