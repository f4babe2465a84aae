// The simulated sign reading whatever arrives on its line: the frame reader cuts the stream
// into frames, and the sign carries out each one (erase, write, read, pass-through to the
// display with its decoding, link), logging every frame.
//
// Input: one mode byte, then
//   bit 0 clear: bytes as they arrive on the line; sums and stuffing are whatever the input
//                holds.
//   bit 0 set:   frame fields (sequence, command, address, length, a data run) rebuilt
//                into well-formed device frames, so the sign gets past the sums.
// Bits 1..3 of the mode switch the display off, stray end bytes and line noise on; bits 1..7
// also give the size of each read from the line (1 to 128 bytes).
#include "FrameReader.h"
#include "FuzzInput.h"
#include "SignMemory.h"
#include "SignResponder.h"
#include "SimOptions.h"
#include "WireLog.h"
#include "protocol/Frames.h"

namespace {

QByteArray builtFrames(FuzzInput& in) {
    QByteArray stream;
    while (!in.empty()) {
        const quint8 sequence = in.byte();
        const quint8 command = in.byte();
        const quint32 address = in.dword() & 0xFFFFF;
        const quint16 length = in.word();
        // Reads carry no data; the others get a run whose size the next byte picks.
        const QByteArray data = command == wire::Read ? QByteArray() : in.take(in.word());
        stream += wire::deviceFrame(sequence, command, address, length, data);
        stream += in.take(in.byte() & 0x3); // stray bytes between frames
    }
    return stream;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzApplication();

    FuzzInput in(data, size);
    const quint8 mode = in.byte();
    SimOptions options;
    options.display = !(mode & 0x02);
    options.strayEtx = mode & 0x04;
    options.noise = mode & 0x08;
    options.nakFrames.insert(3);
    options.pace = 0;
    options.watchStdin = false;

    SignMemory memory;
    WireLog log;
    QString error;
    log.open(QStringLiteral("/dev/null"), &error); // the log's formatting runs too
    SignResponder sign(memory, options, log, [](const QString&) {});

    const QByteArray stream = (mode & 0x01) ? builtFrames(in) : in.rest();
    const qsizetype chunk = (mode >> 1) + 1;
    FrameReader reader;
    for (qsizetype at = 0; at < stream.size(); at += chunk) {
        for (const FrameReader::Piece& piece : reader.feed(stream.mid(at, chunk))) {
            if (piece.kind != FrameReader::Piece::Frame)
                continue;
            if (!piece.bytes.endsWith(char(wire::kEnd)) ||
                !piece.bytes.startsWith(char(wire::kStart)))
                qFatal("frame reader gave a frame without its start and end bytes");
            if (sign.handle(piece.bytes).powerCut)
                return 0;
        }
    }
    return 0;
}
