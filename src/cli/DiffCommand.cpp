#include "cli/Commands.h"
#include "cli/SettingsReport.h"
#include "core/Messages.h"
#include "image/TableFile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace cli {

namespace {

// Runs of up to this many bytes print their values; longer ones only their extent.
constexpr int kBytesShown = 8;
constexpr int kExitTrouble = kExitUsage; // a file that cannot be compared

struct Side {
    QString path;
    ParamImage image;
};

// Takes the file as File, Open does (the default image merged with a pager receiver's file).
bool openSide(Side& side, CliSeam& seam) {
    const tablefile::OpenResult r =
        tablefile::open(QFileInfo(side.path).absoluteFilePath(), side.image);
    switch (r.outcome) {
    case tablefile::Outcome::Taken:
        return true;
    case tablefile::Outcome::Merged:
        err() << r.message << Qt::endl; // the differences follow on standard output
        return true;
    case tablefile::Outcome::Refused:
        seam.error(r.message);
        return false;
    case tablefile::Outcome::Unreadable:
        fileFailure(seam, r.message, side.path, r.detail);
        return false;
    }
    return false;
}

struct ByteRun {
    int first, last;
};

QString hexBytes(const ParamImage& image, const ByteRun& run) {
    QStringList out;
    for (int i = run.first; i <= run.last; ++i)
        out << display::hex(image.at(i), 2);
    return out.join(QLatin1Char(' '));
}

} // namespace

int runDiff(const QStringList& args) {
    ArgParser p(
        args,
        QStringLiteral("Compares two table files, each taken as File, Open takes it. Prints every "
                       "setting that differs (caption: first -> second), then every run of "
                       "differing bytes that no differing setting accounts for, with its offsets "
                       "(reserved bytes, receiver tables, the checksum slot). Exit 0 when the "
                       "files hold the same bytes, 1 when they differ, 2 on bad usage or a file "
                       "that cannot be read or is refused."));
    p.addPositional(QStringLiteral("first"), QStringLiteral("The first table file (.tbl)."));
    p.addPositional(QStringLiteral("second"), QStringLiteral("The second table file (.tbl)."));
    p.addOption({QStringLiteral("json"), QStringLiteral("Print one JSON object instead.")});
    if (auto done = p.parse(2, 2))
        return *done;
    CliSeam seam(p.presets());
    Side a{p.positional().at(0), {}}, b{p.positional().at(1), {}};
    if (!openSide(a, seam) || !openSide(b, seam))
        return kExitTrouble;

    const QList<SettingEntry> ea = settingEntries(readSettings(a.image));
    const QList<SettingEntry> eb = settingEntries(readSettings(b.image));
    QJsonArray jsonSettings, jsonBytes;
    QStringList lines;
    QSet<int> accounted;
    for (qsizetype i = 0; i < ea.size() && i < eb.size(); ++i) {
        if (ea[i].text == eb[i].text && ea[i].json == eb[i].json)
            continue;
        for (int o : ea[i].offsets)
            accounted.insert(o);
        lines << msg::cli::diffSetting(ea[i].caption, ea[i].text, eb[i].text);
        jsonSettings.append(QJsonObject{{"path", ea[i].path},
                                        {"caption", ea[i].caption},
                                        {"from", ea[i].json},
                                        {"to", eb[i].json}});
    }

    QList<ByteRun> runs;
    for (int o = 0; o < layout::kImageSize; ++o) {
        if (a.image.at(o) == b.image.at(o) || accounted.contains(o))
            continue;
        if (!runs.isEmpty() && runs.last().last == o - 1)
            runs.last().last = o;
        else
            runs << ByteRun{o, o};
    }
    for (const ByteRun& r : runs) {
        const QString from = hexBytes(a.image, r), to = hexBytes(b.image, r);
        lines << (r.last - r.first < kBytesShown ? msg::cli::diffBytes(r.first, r.last, from, to)
                                                 : msg::cli::diffManyBytes(r.first, r.last));
        jsonBytes.append(
            QJsonObject{{"first", r.first}, {"last", r.last}, {"from", from}, {"to", to}});
    }

    const bool same = a.image == b.image;
    if (p.isSet(QStringLiteral("json"))) {
        const QJsonObject o{{"first", QFileInfo(a.path).absoluteFilePath()},
                            {"second", QFileInfo(b.path).absoluteFilePath()},
                            {"same", same},
                            {"settings", jsonSettings},
                            {"bytes", jsonBytes}};
        out() << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
    } else if (!lines.isEmpty()) {
        out() << lines.join(QLatin1Char('\n')) << '\n';
    }
    out().flush();
    return same ? kExitOk : kExitFailure;
}

} // namespace cli
