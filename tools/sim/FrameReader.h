#pragma once

#include <QByteArray>
#include <vector>

// Cuts the byte stream from the programmer into frames: bytes before a start byte are
// skipped, a frame runs up to the first unstuffed end byte (stuffing never lets 0x03 occur
// inside a frame).
class FrameReader {
  public:
    // The sign's receive buffer; a longer frame is dropped unanswered.
    static constexpr qsizetype kMaxFrame = 16384;

    struct Piece {
        enum Kind { Frame, Skipped, Overlong } kind;
        QByteArray bytes; // as on the wire; a Frame ends with its end byte
    };

    std::vector<Piece> feed(const QByteArray& bytes);

  private:
    QByteArray frame_;
    bool inFrame_ = false;
};
