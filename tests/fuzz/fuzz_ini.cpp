// Reading a command file (.ini) as File, Open of the LED sign commands does: the INI reader,
// then the command table's decoding of every key, then saving what was loaded back into the
// same file. The first byte picks the encoding: odd, the rest is taken as Latin-1 text and
// written as UTF-16LE after FF FE (so what the fuzzer finds in 8-bit files reaches the wide
// reader too); even, the rest is the file as it is.
#include "signcmd/CommandFile.h"
#include "signcmd/IniFile.h"

#include <QStringEncoder>
#include <cstddef>
#include <cstdint>

namespace {

QByteArray wide(const QByteArray& latin1) {
    QStringEncoder encode(QStringEncoder::Utf16LE, QStringEncoder::Flag::Stateless);
    return QByteArray("\xff\xfe", 2) + QByteArray(encode(QString::fromLatin1(latin1)));
}

void checkReader(const QByteArray& file) {
    const IniFile ini = IniFile::fromBytes(file);
    const QByteArray back = ini.toBytes();
    // An 8-bit file comes back byte for byte; a wide one at least reads back the same.
    if (!file.startsWith("\xff\xfe") && back != file)
        qFatal("an 8-bit file did not come back unchanged");
    if (IniFile::fromBytes(back).toBytes() != back)
        qFatal("a written file does not read back as written");
    for (const signcmd::Command& c : signcmd::commands())
        if (ini.value(signcmd::kSection, QLatin1String(c.keyword)).size() > IniFile::kValueLimit)
            qFatal("a value past the limit");

    IniFile edited = ini;
    edited.setValue(signcmd::kSection, QStringLiteral("Probe"), QStringLiteral("1"));
    if (IniFile::fromBytes(edited.toBytes()).value(signcmd::kSection, QStringLiteral("probe")) !=
        QLatin1String("1"))
        qFatal("a key written is not read back");
}

void checkCommands(const QByteArray& file) {
    static const signcmd::CommandValues start =
        signcmd::startupValues(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    QString error;
    const auto loaded = signcmd::loadCommands(file, start, &error);
    if (!loaded) {
        if (error.isEmpty())
            qFatal("a file refused without a reason");
        return;
    }
    // What was loaded is saved as the dialog saves it, and that file loads again.
    const QByteArray saved = signcmd::saveCommands(file, *loaded);
    if (!signcmd::loadCommands(saved, start, &error))
        qFatal("a saved file does not load: %s", qPrintable(error));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const QByteArray file = (data[0] & 1) ? wide(rest) : rest;
    checkReader(file);
    checkCommands(file);
    return 0;
}
