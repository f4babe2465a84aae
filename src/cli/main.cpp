#include "cli/CliSeam.h"
#include "cli/Commands.h"
#include "core/Messages.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

// An argument as the user typed it, bytes outside ASCII as \xNN.
QString escaped(const QByteArray& raw) {
    QString s;
    for (const char c : raw) {
        const auto b = quint8(c);
        if (b >= 0x20 && b < 0x7F)
            s += QLatin1Char(c);
        else
            s += QStringLiteral("\\x") +
                 QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return s;
}

// Arguments are decoded with the locale's encoding; one that does not survive the round trip
// (a file name in another encoding) would silently name a different file.
int refuseUndecodable(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (QString::fromLocal8Bit(raw).toLocal8Bit() != raw) {
            cli::err() << "ledsign: " << msg::cli::argumentNotInLocale(escaped(raw)) << Qt::endl;
            return cli::kExitUsage;
        }
    }
    return cli::kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ledsign"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEDSIGN_VERSION));
    // Numbers in files, frames and reports are always written the same way.
    QLocale::setDefault(QLocale::c());
    if (const int refused = refuseUndecodable(argc, argv))
        return refused;
    return cli::run(QCoreApplication::arguments());
}
