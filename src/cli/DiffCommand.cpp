#include "cli/Commands.h"
#include "core/Messages.h"
#include "image/TableFile.h"
#include "protocol/PagerOperations.h"
#include "settings/Differences.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace cli {

namespace {

constexpr int kExitTrouble = kExitUsage; // a file that cannot be compared

struct Side {
    QString path;
    ParamImage image;
};

// Takes the file as File, Open does (the default image merged with a pager receiver's file).
bool openSide(Side& side, CliSeam& seam) {
    const std::optional<tablefile::OpenResult> r = openTableOrFail(side.path, side.image, seam);
    if (r && r->outcome == tablefile::Outcome::Merged)
        err() << r->message << Qt::endl; // the differences follow on standard output
    return r.has_value();
}

} // namespace

int runDiff(const QStringList& args) {
    ArgParser p(
        args,
        QStringLiteral("Compares two table files, each taken as File, Open takes it in a window "
                       "just started, or with --port a table file with the sign's settings (read "
                       "as 'ledsign read' reads them, and backed up). Prints every setting the "
                       "window shows differently (caption: first -> second, the sign second), "
                       "then every run of differing bytes that no setting accounts for, with its "
                       "offsets (reserved bytes, receiver tables), and notes a differing checksum "
                       "slot (bytes 4094-4095), which every Write computes anew. Exit 0 when "
                       "nothing but the checksum slot differs, 1 when they differ, 2 on bad usage, "
                       "a file that cannot be read or is refused, or a sign that cannot be "
                       "read."));
    p.addPositional(QStringLiteral("first"), QStringLiteral("The first table file (.tbl)."));
    p.addPositional(QStringLiteral("second"),
                    QStringLiteral("The second table file (.tbl); none with --port."),
                    QStringLiteral("[second]"));
    p.addOption({QStringLiteral("json"), QStringLiteral("Print one JSON object instead.")});
    addLineOptions(p);
    p.addSeamOptions(QStringLiteral("read-password"),
                     QStringLiteral("The sign's read password, if it has one."));
    if (auto done = p.parse(1, 2))
        return *done;
    const bool fromSign = p.isSet(QStringLiteral("port"));
    if (fromSign != (p.positional().size() == 1))
        return p.usageError(fromSign ? msg::cli::unexpectedArgument(p.positional().at(1))
                                     : msg::cli::missingArgument(QStringLiteral("second")));
    CliSeam seam(p.presets());
    Side a{p.positional().at(0), {}},
        b{fromSign ? p.value(QStringLiteral("port")) : p.positional().at(1), {}};
    if (!openSide(a, seam))
        return kExitTrouble;
    QString secondName;
    if (fromSign) {
        ParamImage scratch;
        SignOperations s(p.presets(), scratch);
        if (auto bad = takeLineOptions(p, s))
            return *bad;
        const auto sign = s.ops->readForComparison();
        if (!sign)
            return kExitTrouble;
        b.image.assign(*sign);
        // The checksum slot is the sign's own business, as Verify has it.
        for (int i = layout::kSummedBytes; i < layout::kImageSize; ++i)
            b.image.set(i, a.image.at(i));
        secondName = s.link.portName;
    } else {
        if (!openSide(b, seam))
            return kExitTrouble;
        secondName = QFileInfo(b.path).absoluteFilePath();
    }

    const settings::Differences d = settings::compareImages(a.image, b.image);
    const QStringList lines = d.lines();
    if (p.isSet(QStringLiteral("json"))) {
        QJsonObject o = d.json();
        o.insert("first", QFileInfo(a.path).absoluteFilePath());
        o.insert("second", secondName);
        out() << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
    } else if (!lines.isEmpty()) {
        out() << lines.join(QLatin1Char('\n')) << '\n';
    }
    out().flush();
    return d.same ? kExitOk : kExitFailure;
}

} // namespace cli
