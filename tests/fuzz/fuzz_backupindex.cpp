// Reading and rewriting the backup index as `ledsign backups`, the Backups window and the
// retention do. The first byte sets the longest line read (so short inputs reach the overlong
// path too); the rest is the index.
#include "FuzzInput.h"
#include "backup/BackupIndex.h"

#include <QBuffer>

namespace {

const QString kFolder = QStringLiteral("/backups");

backup::IndexContents read(const QByteArray& bytes, qsizetype maxLine) {
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    return backup::readIndex(in, kFolder, maxLine);
}

QByteArray copy(const QByteArray& bytes, qsizetype maxLine,
                const std::function<bool(const backup::Entry&)>& drop) {
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    if (!backup::copyIndex(in, out, kFolder, drop, maxLine))
        qFatal("a copy into memory failed");
    return out.data();
}

bool sameEntry(const backup::Entry& a, const backup::Entry& b) {
    return a.file == b.file && a.path == b.path && a.port == b.port && a.operation == b.operation &&
           a.firmware == b.firmware && a.validBanks == b.validBanks && a.checksum == b.checksum &&
           a.capcode1 == b.capcode1 && a.time.isValid() == b.time.isValid() &&
           (!a.time.isValid() || a.time.toSecsSinceEpoch() == b.time.toSecsSinceEpoch());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzApplication();
    FuzzInput input(data, size);
    const qsizetype maxLine = 8 + qsizetype(input.byte()) * 4;
    const QByteArray index = input.rest();

    const backup::IndexContents contents = read(index, maxLine);
    for (const backup::Entry& e : contents.entries) {
        if (!backup::isBackupFileName(e.file) || e.indexLine <= 0)
            qFatal("an entry without a backup file name or a line");
        // What is written for an entry reads back as the same entry.
        const auto again = backup::parseIndexLine(backup::indexLine(e).chopped(1), kFolder);
        if (!again || !sameEntry(e, *again))
            qFatal("an entry does not survive its own line");
    }

    // Dropping nothing keeps every byte (a last line gets its newline)...
    const QByteArray kept = copy(index, maxLine, [](const backup::Entry&) { return false; });
    if (kept != index && kept != index + '\n')
        qFatal("a rewrite that drops nothing changed the index");
    // ...and dropping every readable line keeps every unreadable one.
    const QByteArray rest = copy(index, maxLine, [](const backup::Entry&) { return true; });
    const backup::IndexContents left = read(rest, maxLine);
    if (!left.entries.isEmpty() || left.unreadableLines.size() != contents.unreadableLines.size())
        qFatal("a rewrite lost an unreadable line or kept a dropped one");
    return 0;
}
