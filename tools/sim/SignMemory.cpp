#include "SignMemory.h"

#include "protocol/Frames.h"

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
    const quint32 start = address & ~(wire::kEraseSector - 1);
    std::fill_n(bytes_.data() + start, wire::kEraseSector, char(0xFF));
    return true;
}

bool SignMemory::write(quint32 address, const QByteArray& bytes) {
    if (address > kSize || quint64(address) + quint64(bytes.size()) > kSize)
        return false;
    std::copy(bytes.cbegin(), bytes.cend(), bytes_.data() + address);
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
