#include "settings/Differences.h"

#include "core/Messages.h"
#include "editor/ShownValues.h"
#include "settings/EditSession.h"
#include "settings/SettingsReport.h"

#include <QJsonArray>
#include <QSet>

namespace settings {

namespace {

// Runs of up to this many bytes print their values; longer ones only their extent.
constexpr int kBytesShown = 8;

QString hexBytes(const ParamImage& image, int first, int last) {
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << shown::hex(image.at(i), 2);
    return out.join(QLatin1Char(' '));
}

} // namespace

Differences compareSessions(const EditSession& sa, const EditSession& sb) {
    const ParamImage& a = sa.image();
    const ParamImage& b = sb.image();
    Differences d;
    const QList<SettingEntry> ea = settingEntries(sa);
    const QList<SettingEntry> eb = settingEntries(sb);
    QSet<int> accounted;
    for (qsizetype i = 0; i < ea.size() && i < eb.size(); ++i) {
        if (ea[i].text == eb[i].text && ea[i].json == eb[i].json)
            continue;
        for (int o : ea[i].offsets)
            accounted.insert(o);
        d.settings << SettingDifference{ea[i].path, ea[i].caption, ea[i].text,
                                        eb[i].text, ea[i].json,    eb[i].json};
    }
    for (int o = 0; o < layout::kChecksum; ++o) {
        if (a.at(o) == b.at(o) || accounted.contains(o))
            continue;
        if (!d.bytes.isEmpty() && d.bytes.last().last == o - 1)
            d.bytes.last().last = o;
        else
            d.bytes << ByteRun{o, o, {}, {}};
    }
    for (ByteRun& r : d.bytes) {
        r.from = hexBytes(a, r.first, r.last);
        r.to = hexBytes(b, r.first, r.last);
    }
    const int last = layout::kImageSize - 1;
    if (a.at(layout::kChecksum) != b.at(layout::kChecksum) || a.at(last) != b.at(last))
        d.checksum = ByteRun{layout::kChecksum, last, hexBytes(a, layout::kChecksum, last),
                             hexBytes(b, layout::kChecksum, last)};
    d.same = d.settings.isEmpty() && d.bytes.isEmpty();
    return d;
}

Differences compareImages(const ParamImage& a, const ParamImage& b) {
    EditSession sa, sb;
    sa.take(a);
    sb.take(b);
    return compareSessions(sa, sb);
}

QStringList differenceLines(const QByteArray& from, const QByteArray& to) {
    ParamImage a, b;
    a.assign(from);
    b.assign(to);
    return compareImages(a, b).lines();
}

QStringList Differences::lines() const {
    QStringList out;
    for (const SettingDifference& s : settings)
        out << msg::cli::diffSetting(s.caption, s.from, s.to);
    for (const ByteRun& r : bytes)
        out << (r.last - r.first < kBytesShown ? msg::cli::diffBytes(r.first, r.last, r.from, r.to)
                                               : msg::cli::diffManyBytes(r.first, r.last));
    if (checksum)
        out << msg::cli::diffChecksum(checksum->from, checksum->to);
    return out;
}

QJsonObject Differences::json() const {
    QJsonArray js, jb;
    for (const SettingDifference& s : settings)
        js.append(QJsonObject{
            {"path", s.path}, {"caption", s.caption}, {"from", s.fromJson}, {"to", s.toJson}});
    for (const ByteRun& r : bytes)
        jb.append(
            QJsonObject{{"first", r.first}, {"last", r.last}, {"from", r.from}, {"to", r.to}});
    QJsonObject o{{"same", same}, {"settings", js}, {"bytes", jb}};
    if (checksum)
        o.insert("checksum", QJsonObject{{"from", checksum->from}, {"to", checksum->to}});
    return o;
}

} // namespace settings
