#include "image/ParamImage.h"

#include <cstring>

using namespace layout;

namespace {

struct Run {
    int offset;
    std::initializer_list<quint8> bytes;
};

// Default content, as the sign leaves the factory. Gaps are filled below.
const Run kDefaultRuns[] = {
    {kReceiverBlock,
     {0xFF, 0x03, 0x00, 0x19, 0x81, 0xFF, 0x05, 0xFF, 0xFF, 0x00, 0xFF, 0x04, 0x00, 0x03, 0x00,
      0x11}},
    {kReceiverBlock + kReceiverBlockRow,
     {0x00, 0x44, 0xD8, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x04, 0x4E, 0x01, 0x08, 0x5A,
      0x96}},
    {kReceiverBlock + 2 * kReceiverBlockRow,
     {0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x01, 0x02, 0x02, 0x02, 0x02, 0x03, 0x03, 0x03,
      0x03}},
    {kReceiverBlock + 3 * kReceiverBlockRow,
     {0x04, 0x04, 0x04, 0x04, 0x05, 0x05, 0x05, 0x05, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02,
      0x02}},
    {kReceiverBlock + 4 * kReceiverBlockRow,
     {0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x03, 0x03, 0x03,
      0x03}},
    {kCapcodes,
     {0x96, 0xB4, 0x3F, 0x96, 0xB4, 0x09, 0x96, 0xB4, 0x10, 0x96, 0xB4, 0x1F, 0x96, 0xB4, 0x24,
      0xFF, 0xFF, 0xFA}},
    {kRxControl1, {0x83, 0x5E, 0x44, 0x00, 0x00, 0x1F, 0x47}},
    {kAirPassword, {'0', '0', '0', '5', '5', '5', '0', '1', '4', '2'}},
    {kReceiverTable,
     {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x00, 0x0A, 0x02, 0x0C, 0x1E, 0x28,
      0xFF, 0x01}},
    {kPeriodOnes, {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01}},
    {kSequentialLock, {0x00, 0x00, 0x01}},
    {kSerialOutputOn, {0x01, 0x00}},
    {kFcAsPasswordFlag, {0xFF, 0xFF}},
};

// Receiver tables: ten groups 0A 01..09 00, then 0A and ten groups 00 01..0A, the last of
// them cut at the end of the tables.
void fillReceiverTables(quint8* b) {
    int o = kReceiverGroups;
    for (int g = 0; g < 10; ++g) {
        b[o++] = 0x0A;
        for (int v = 1; v <= 9; ++v)
            b[o++] = quint8(v);
        b[o++] = 0x00;
    }
    b[o++] = 0x0A;
    for (int g = 0; g < 10; ++g)
        for (int v = 0; v <= 10 && o <= kReceiverGroupsEnd; ++v)
            b[o++] = quint8(v);
}

} // namespace

// Built-in function command codes. Capcodes #1/#4, #2/#5 and #3/#6 share their codes; a code
// is two ASCII characters and two zero bytes: the capcode group's digit ('1', '2', '3') and
// the function bit's letter ('A'..'D'). So capcode #1 bit A is "1A", capcode #5 bit C "2C".
// None of these bytes needs stuffing on the wire.
std::array<quint8, kFunCmdCodeLen> defaultFunCmdCode(int c, int f) {
    return {quint8('1' + c % 3), quint8('A' + f), 0x00, 0x00};
}

ParamImage::ParamImage() {
    initDefaults();
}

void ParamImage::initDefaults() {
    bytes_.fill(0x00);
    for (const Run& run : kDefaultRuns) {
        int o = run.offset;
        for (quint8 b : run.bytes)
            bytes_[o++] = b;
    }
    fillReceiverTables(bytes_.data());
    for (int c = 0; c < kCapcodeCount; ++c)
        for (int f = 0; f < kFunctionBits; ++f) {
            const auto code = defaultFunCmdCode(c, f);
            for (int l = 0; l < kFunCmdCodeLen; ++l)
                bytes_[funCmdCode(c, f, l)] = code[l];
        }
    writeModelTag();
    for (int o = kModelTag + kModelTagLen + 3; o < kImageSize; ++o)
        bytes_[o] = 0xFF;
}

QByteArray ParamImage::toByteArray() const {
    return QByteArray(reinterpret_cast<const char*>(bytes_.data()), kImageSize);
}

void ParamImage::assign(const QByteArray& bytes) {
    std::memcpy(bytes_.data(), bytes.constData(), std::min<qsizetype>(bytes.size(), kImageSize));
}

quint8 ParamImage::getBits(int offset, int shift, int width) const {
    return quint8((bytes_[offset] >> shift) & ((1u << width) - 1));
}

void ParamImage::putBits(int offset, int shift, unsigned value, int width) {
    const unsigned mask = ((1u << width) - 1) << shift;
    bytes_[offset] = quint8((bytes_[offset] & ~mask) | (value << shift));
}

quint32 ParamImage::readBE(int offset, int width) const {
    quint32 v = 0;
    for (int i = 0; i < width; ++i)
        v = (v << 8) | bytes_[offset + i];
    return v;
}

void ParamImage::writeBE(int offset, int width, quint32 value) {
    for (int i = width - 1; i >= 0; --i) {
        bytes_[offset + i] = quint8(value & 0xFF);
        value >>= 8;
    }
}

quint32 ParamImage::capcode(int c) const {
    return readBE(layout::capcode(c), 3) >> 3;
}

void ParamImage::setCapcode(int c, quint32 v) {
    const int o = layout::capcode(c);
    bytes_[o] = quint8(v >> 13);
    bytes_[o + 1] = quint8((v >> 5) & 0xFF);
    bytes_[o + 2] = quint8((bytes_[o + 2] & 7) | ((v << 3) & 0xFF));
}

QString ParamImage::text(int offset, int maxLen) const {
    int n = 0;
    while (n < maxLen && offset + n < kImageSize && bytes_[offset + n] != 0)
        ++n;
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes_.data() + offset), n);
}

void ParamImage::writeModelTag() {
    std::memcpy(bytes_.data() + kModelTag, kModelTagText, kModelTagLen); // text and its NUL
}

QByteArray ParamImage::sealForSending() {
    const quint16 s = imageSum(bytes_.data());
    bytes_[kChecksum] = quint8(s >> 8);
    bytes_[kChecksum + 1] = quint8(s & 0xFF);
    QByteArray bank = toByteArray();
    bank.resize(kBankSize);
    bank[kCheckWord1] = char((s >> 8) ^ 0x55);
    bank[kCheckWord1 + 1] = char((s & 0xFF) ^ 0x55);
    bank[kCheckWord2] = char((s >> 8) ^ 0xAA);
    bank[kCheckWord2 + 1] = char((s & 0xFF) ^ 0xAA);
    return bank;
}

quint16 imageSum(const quint8* bytes) {
    quint32 s = 0;
    for (int i = 0; i < kSummedBytes; ++i)
        s += bytes[i];
    return quint16(s & 0xFFFF);
}

bool bankTailValid(const quint8* t) {
    const unsigned s = t[0] * 256u + t[1];
    return s == ((t[2] * 256u + t[3]) ^ 0x5555u) && s == ((t[4] * 256u + t[5]) ^ 0xAAAAu);
}

bool bankSumValid(const QByteArray& bank) {
    if (bank.size() < kSummedBytes + 2)
        return false;
    const auto* b = reinterpret_cast<const quint8*>(bank.constData());
    return imageSum(b) == b[kChecksum] * 256u + b[kChecksum + 1];
}
bool bankValid(const QByteArray& bank) {
    return bank.size() >= kBankSize && bankSumValid(bank) &&
           bankTailValid(reinterpret_cast<const quint8*>(bank.constData()) + kChecksum);
}

ImageKind classifyImage(const QByteArray& candidate) {
    const QByteArray tag = candidate.mid(kModelTag, 6);
    if (tag.size() < 6 || tag.contains('\0'))
        return ImageKind::Refused;
    if (tag == kFullImageTag)
        return ImageKind::Full;
    if (tag == kPagerImageTag)
        return ImageKind::Pager;
    return ImageKind::Refused;
}

void mergeCoreSettings(ParamImage& image, const QByteArray& candidate) {
    const auto* src = reinterpret_cast<const quint8*>(candidate.constData());
    auto copy = [&](int from, int count) {
        for (int o = from; o < from + count && o < candidate.size(); ++o)
            image.set(o, src[o]);
    };
    copy(kSequentialLock, 1);
    copy(kPllR, kPllN + 4 - kPllR);
    copy(kCapcodes, 3 * kCapcodeCount);
    copy(kRxControl1, kRxControl3 - kRxControl1 + 1);
    copy(kRxControl4, 1);
    copy(kFunctionTypes, kCapcodeCount * kFunctionBits);
    copy(kLanguageCode, 1);
    copy(kBandIndex, 1);
    image.writeModelTag();
}

ImageKind takeImage(ParamImage& image, const QByteArray& candidate) {
    const ImageKind kind = classifyImage(candidate);
    if (kind == ImageKind::Full)
        image.assign(candidate);
    else if (kind == ImageKind::Pager)
        mergeCoreSettings(image, candidate);
    return kind;
}
