#pragma once

#include "image/ImageLayout.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

// The 4096-byte parameter image of the sign's receiver, owned once by the program and edited
// in place by every editor rule.
class ParamImage {
  public:
    using Bytes = std::array<quint8, layout::kImageSize>;

    ParamImage(); // starts with the default content
    void initDefaults();

    quint8 at(int offset) const { return bytes_[offset]; }
    void set(int offset, quint8 value) { bytes_[offset] = value; }
    quint8* data() { return bytes_.data(); }
    const quint8* data() const { return bytes_.data(); }
    const Bytes& bytes() const { return bytes_; }
    QByteArray toByteArray() const;
    // Takes a whole image; a shorter array fills from the start, the rest stays.
    void assign(const QByteArray& bytes);
    bool operator==(const ParamImage& other) const { return bytes_ == other.bytes_; }

    quint8 getBits(int offset, int shift, int width) const;
    // The value is not masked: callers pass values that fit the width.
    void putBits(int offset, int shift, unsigned value, int width);

    quint32 readBE(int offset, int width) const;
    void writeBE(int offset, int width, quint32 value);

    // Capcode c (0..5): 21 bits in bits 23..3 of its 3-byte field; bits 2..0 are preserved.
    quint32 capcode(int c) const;
    void setCapcode(int c, quint32 value);

    // ASCII text from offset up to the first NUL, at most maxLen characters.
    QString text(int offset, int maxLen) const;
    void writeModelTag();

    // Seals the image for a bank write: checksum into bytes 4094..4095 of the image, returns
    // the 4100-byte bank buffer (image bytes 0..4093, checksum, two check words).
    QByteArray sealForSending();

  private:
    Bytes bytes_{};
};

// 16-bit sum of the first kSummedBytes bytes.
quint16 imageSum(const quint8* bytes);
// The 6 tail bytes of a bank (checksum and check words) agree with each other.
bool bankTailValid(const quint8* tail6);
// A received bank's bytes 0..4093 sum to its stored checksum.
bool bankSumValid(const QByteArray& bank);
// A whole 4100-byte bank as the sign tests it: bytes 0..4093 sum to the stored checksum and
// both check words agree with it. The tail alone can be consistent over wrong data.
bool bankValid(const QByteArray& bank);

enum class ImageKind { Full, Pager, Refused };
// By the model tag at 2809: "SIGN_P" whole, "POCSAG" merge, anything else refused.
ImageKind classifyImage(const QByteArray& candidate);
// Capcode and frequency data of a pager-receiver image, then the model tag.
void mergeCoreSettings(ParamImage& image, const QByteArray& candidate);
// Takes a candidate as its kind says: a whole image replaces the image, a pager receiver's
// is merged into it, a refused one leaves it untouched. Returns the kind.
ImageKind takeImage(ParamImage& image, const QByteArray& candidate);

// The built-in function command code of capcode c, function bit f (4 bytes).
std::array<quint8, layout::kFunCmdCodeLen> defaultFunCmdCode(int c, int f);
