#pragma once

#include "SignMemory.h"
#include "SignWire.h"
#include "SimOptions.h"
#include "WireLog.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// The sign's receiver module and display controller: carries out one device frame and
// gives the bytes to answer with, misbehaving as the options ask.
class SignResponder {
  public:
    using DisplayOutput = std::function<void(const QString& line)>;

    SignResponder(SignMemory& memory, const SimOptions& options, WireLog& log,
                  DisplayOutput display);

    struct Answer {
        QByteArray bytes;       // empty: no answer
        bool powerCut = false;  // the sign is gone after this frame
        bool unplugged = false; // --line: a written sign taken away; this frame never reached it
    };
    // A frame as it came off the line, end byte included.
    Answer handle(const QByteArray& wireFrame);
    // --line: the next sign is plugged in.
    void replaceSign() { writtenBanks_ = 0; }

  private:
    struct Reply {
        QByteArray bytes;
        QString what;       // for the log
        bool frame = false; // a reply frame, not an acknowledgement
    };
    Reply carryOut(const signwire::Request& frame);
    Reply reply(const signwire::Request& frame, const QByteArray& data);
    Reply passToDisplay(const signwire::Request& frame);
    Reply ack(const signwire::Request& frame, bool positive);
    bool saveMemory();
    QByteArray strays();
    QByteArray flipOneBit(QByteArray answer);
    QByteArray foreignBytes(int count);
    quint32 nextRandom();
    int percentDrawn();
    quint32 nextForeign();

    SignMemory& memory_;
    const SimOptions& options_;
    WireLog& log_;
    DisplayOutput display_;
    quint64 frames_ = 0;   // over the whole line, so a fault asked for hits one sign only
    int writtenBanks_ = 0; // bank mask
    quint32 random_;
    quint32 foreign_; // a sequence of its own: --foreign leaves the noise as it was
};

// One display frame as the display controller reports it, or nothing for data that is not a
// display frame. Shared with the tests' expectations of the log.
QString describeDisplayData(const QByteArray& passThroughData);
// The text a display frame carries, made printable, or nothing for a clock frame or data that
// is not a display frame.
std::optional<QString> displayText(const QByteArray& passThroughData);
QString hexBytes(const QByteArray& bytes, qsizetype limit = -1);

// What --stray-before sends ahead of an answer.
inline constexpr quint8 kStrayByte = 0x55;

// Where --stray-etx puts its 0x03 in a reply frame on the wire.
inline constexpr int kStrayEtxAt = 5;
