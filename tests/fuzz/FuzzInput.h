#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

// Takes a fuzz input apart front to back: small numbers that steer the target, then runs of
// bytes. Past the end every read gives zeros and empty runs, so any input is a valid one.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : data_(reinterpret_cast<const char*>(data)), size_(qsizetype(size)) {}

    bool empty() const { return at_ >= size_; }
    qsizetype remaining() const { return size_ - at_; }

    quint8 byte() { return empty() ? 0 : quint8(data_[at_++]); }
    quint16 word() { return quint16(quint16(byte()) << 8 | byte()); }
    quint32 dword() { return quint32(word()) << 16 | word(); }

    QByteArray take(qsizetype count) {
        const qsizetype n = qBound<qsizetype>(0, count, remaining());
        const QByteArray bytes(data_ + at_, n);
        at_ += n;
        return bytes;
    }
    QByteArray rest() { return take(remaining()); }

  private:
    const char* data_;
    qsizetype size_;
    qsizetype at_ = 0;
};

// The application object the Qt classes of a target need (event loop, file names), made at
// the first input and kept for the run.
inline void fuzzApplication() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}
