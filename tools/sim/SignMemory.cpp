#include "SignMemory.h"

#include "SignBank.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

SignMemory::SignMemory() : bytes_(kSize, char(0xFF)) {}

bool SignMemory::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read state file %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray content = file.read(kSize + 1);
    if (content.size() != qsizetype(kSize)) {
        *error = QStringLiteral("state file %1 holds %2 bytes, not %3")
                     .arg(path)
                     .arg(content.size())
                     .arg(kSize);
        return false;
    }
    bytes_ = content;
    return true;
}

bool SignMemory::save(QString* error) const {
    if (statePath_.isEmpty())
        return true;
    // Written aside and renamed, so a sign killed mid-save leaves the previous state whole.
    QSaveFile file(statePath_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes_) != bytes_.size() || !file.commit()) {
        *error =
            QStringLiteral("cannot save state file %1: %2").arg(statePath_, file.errorString());
        return false;
    }
    return true;
}

bool SignMemory::eraseSector(quint32 address) {
    if (address >= kSize)
        return false;
    const quint32 start = address & ~(signbank::kEraseSector - 1);
    std::fill_n(bytes_.data() + start, signbank::kEraseSector, char(0xFF));
    applyStuckBits();
    return true;
}

bool SignMemory::write(quint32 address, const QByteArray& bytes) {
    if (address > kSize || quint64(address) + quint64(bytes.size()) > kSize)
        return false;
    // Programming flash only clears bits; only an erase sets them again.
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes_[address + i] = char(bytes_[address + i] & bytes[i]);
    applyStuckBits();
    return true;
}

QByteArray SignMemory::read(quint32 address, qsizetype count) const {
    QByteArray out(count, char(0xFF));
    if (address < kSize) {
        const qsizetype n = std::min<qsizetype>(count, kSize - address);
        std::copy_n(bytes_.constData() + address, n, out.data());
    }
    return out;
}

void SignMemory::stickBit(quint32 address, int bit, bool value) {
    if (address < kSize)
        stuck_ << Stuck{address, quint8(1u << bit), value};
    applyStuckBits();
}

void SignMemory::applyStuckBits() {
    for (const Stuck& s : stuck_) {
        quint8 b = quint8(bytes_[s.address]);
        b = s.value ? (b | s.mask) : (b & ~s.mask);
        bytes_[s.address] = char(b);
    }
}
