#include "FrameReader.h"

#include "SignWire.h"

std::vector<FrameReader::Piece> FrameReader::feed(const QByteArray& bytes) {
    std::vector<Piece> pieces;
    QByteArray skipped;
    auto flushSkipped = [&] {
        if (!skipped.isEmpty())
            pieces.push_back({Piece::Skipped, skipped});
        skipped.clear();
    };
    for (char ch : bytes) {
        const quint8 b = quint8(ch);
        if (!inFrame_) {
            if (b != signwire::kStart) {
                skipped.append(ch);
                continue;
            }
            flushSkipped();
            inFrame_ = true;
            frame_.clear();
        }
        frame_.append(ch);
        if (b == signwire::kEnd) {
            pieces.push_back({Piece::Frame, frame_});
            frame_.clear();
            inFrame_ = false;
        } else if (frame_.size() >= kMaxFrame) {
            pieces.push_back({Piece::Overlong, frame_});
            frame_.clear();
            inFrame_ = false;
        }
    }
    flushSkipped();
    return pieces;
}
