#include "cli/Commands.h"

#include <QCoreApplication>
#include <QLocale>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ledsign"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEDSIGN_VERSION));
    // Numbers in files, frames and reports are always written the same way.
    QLocale::setDefault(QLocale::c());
    return cli::run(QCoreApplication::arguments());
}
