#include "SignBank.h"

namespace signbank {

namespace {

void putBigEndian(QByteArray& b, int at, quint16 v) {
    b[at] = char(v >> 8);
    b[at + 1] = char(v & 0xFF);
}

} // namespace

quint16 imageSum(const QByteArray& image) {
    quint32 s = 0;
    for (int i = 0; i < kSummed; ++i)
        s += quint8(image[i]);
    return quint16(s % 65536);
}

QByteArray seal(const QByteArray& image) {
    QByteArray bank = image.left(kSummed);
    bank.resize(kBankSize);
    const quint16 s = imageSum(image);
    putBigEndian(bank, kSumAt, s);
    putBigEndian(bank, kSumAt + 2, s ^ 0x5555);
    putBigEndian(bank, kSumAt + 4, s ^ 0xAAAA);
    return bank;
}

} // namespace signbank
