// ledsign report: the support bundle the window's Help menu saves, from the command line.
#include "cli/Commands.h"
#include "core/Messages.h"
#include "support/SupportBundle.h"

namespace cli {

int runReport(const QStringList& args) {
    const QString kOutput = QStringLiteral("output");
    const QString kImages = QStringLiteral("with-images");
    ArgParser p(args,
                QStringLiteral("Saves a support bundle (a zip) for someone helping with a sign: "
                               "the program's, Qt's and the system's versions, the serial ports "
                               "with their USB identifiers, the line check of --port when "
                               "given, the newest traces, what the window remembers and the "
                               "backup index, with MANIFEST.txt saying what is in it. No "
                               "password of any sign is in it."));
    p.addOption({{QStringLiteral("o"), kOutput},
                 QStringLiteral("The zip file to write."),
                 QStringLiteral("file")});
    p.addOption({kImages, QStringLiteral("Include the backed-up images, their passwords "
                                         "masked.")});
    addLineOptions(p);
    if (auto done = p.parse(0, 0))
        return *done;
    if (p.value(kOutput).isEmpty())
        return p.usageError(msg::cli::missingOption(kOutput));

    SignLine line(p.presets());
    support::Options o;
    o.withImages = p.isSet(kImages);
    if (p.isSet(QStringLiteral("port"))) {
        if (auto bad = takeLineOptions(p, line))
            return *bad;
        o.port = line.link.portName;
        o.lineCheck = support::checkLine(line.exchange, o.port);
    }
    const support::Bundle bundle = support::collect(o);
    QString reason;
    if (!support::save(bundle, p.value(kOutput), &reason))
        return fileFailure(line.seam, msg::saveError, p.value(kOutput), reason);
    if (!p.quiet())
        out() << bundle.manifest() << Qt::flush;
    return kExitOk;
}

} // namespace cli
