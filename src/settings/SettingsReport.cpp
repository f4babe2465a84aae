#include "settings/SettingsReport.h"

#include "core/Messages.h"
#include "editor/ShownValues.h"
#include "settings/EditSession.h"
#include "settings/SettingTable.h"

#include <QHash>
#include <QJsonArray>

using namespace layout;

namespace settings {

namespace {

namespace L = msg::label;

QString groupCaption(Group g) {
    switch (g) {
    case Group::Top:
        break;
    case Group::Frequency:
        return L::frequencyGroup;
    case Group::Capcodes:
        return L::capcodeGroup;
    case Group::SerialOutput:
        return L::serialGroup;
    case Group::OutputFeatures:
        return L::outputFeatures;
    case Group::Features:
        return L::features;
    }
    return QString();
}

// "Label: value"; captions that end in ":" already carry their colon.
QString line(const QString& label, const QString& value) {
    const QString l = label.trimmed();
    return QStringLiteral("  ") + l + (l.endsWith(QLatin1Char(':')) ? " " : ": ") + value;
}

QString prefixOf(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('.')) + 1);
}

// "1234567 ON   Fun Bit: A Alpha, B Alpha, C Alpha, D Alpha"
QString capcodeLine(const QHash<QString, Value>& v, const QString& prefix) {
    QString out = v.value(prefix + "capcode").text + QLatin1Char(' ') +
                  v.value(prefix + "on").text.leftJustified(3) + QStringLiteral("  ") + L::funBit;
    for (int f = 0; f < kFunctionBits; ++f) {
        const QChar bit(u'A' + f);
        out += QLatin1Char(' ') + bit + QLatin1Char(' ') + v.value(prefix + "types." + bit).text +
               (f < kFunctionBits - 1 ? QStringLiteral(",") : QString());
    }
    return out;
}

// The parts of a function bit's record that hold anything; empty when none does.
QString recordLine(const ParamImage& image, At at) {
    const int c = at.a, f = at.b;
    QStringList parts;
    const struct {
        Record record;
        const QString& caption;
    } records[] = {{Record::Header, L::headerChars},
                   {Record::Trailer, L::trailerChars},
                   {Record::Timeout, L::timeoutChars}};
    for (const auto& r : records) {
        const QString pairs = shown::recordPairs(image, r.record, c, f);
        if (!pairs.isEmpty())
            parts << r.caption + QLatin1Char(' ') + pairs;
    }
    bool fcSet = false;
    for (int l = 0; l < kFunCmdCodeLen; ++l)
        fcSet = fcSet || image.at(funCmdCode(c, f, l)) != 0;
    if (fcSet)
        parts << msg::cli::funCmdCode + QLatin1Char(' ') + shown::funCmdPairs(image, c, f);
    if (image.at(intFunCmd(c, f)) != 0)
        parts << L::intFunCmd + QLatin1Char(' ') + msg::cli::on;
    return parts.join(QStringLiteral("  "));
}

QJsonValue insertAt(const QJsonValue& node, QStringList path, const QJsonValue& value) {
    if (path.isEmpty())
        return value;
    const QString head = path.takeFirst();
    bool numbered = false;
    const int n = head.toInt(&numbered);
    if (numbered && n >= 1) {
        QJsonArray a = node.toArray();
        while (a.size() < n)
            a.append(QJsonValue());
        a[n - 1] = insertAt(a.at(n - 1), path, value);
        return a;
    }
    QJsonObject o = node.toObject();
    o.insert(head, insertAt(o.value(head), path, value));
    return o;
}

} // namespace

QString settingsText(const EditSession& s) {
    QHash<QString, Value> values;
    for (const Instance& i : instances())
        values.insert(i.path, i.read(s));

    QStringList out;
    Group group = Group::Top;
    for (const Instance& i : instances()) {
        const Setting& row = *i.row;
        if (row.group == Group::Top) {
            out << i.caption() + QStringLiteral(": ") + values.value(i.path).text;
            continue;
        }
        if (row.group != group) {
            group = row.group;
            out << QString() << groupCaption(group);
        }
        switch (row.layout) {
        case Layout::Line:
            out << line(i.caption(), values.value(i.path).text);
            break;
        case Layout::CapcodeLine:
            out << line(i.caption(), capcodeLine(values, prefixOf(i.path)));
            break;
        case Layout::RecordLine:
            if (const QString record = recordLine(s.image(), i.at); !record.isEmpty())
                out << line(shown::capcodeSelectorCaptions().at(i.at.a) + QLatin1Char(' ') +
                                L::functionBit(i.at.b),
                            record);
            break;
        case Layout::PowerUpLine:
            out << line(i.caption(), values.value(i.path).text + QStringLiteral(", outputs: ") +
                                         values.value(prefixOf(i.path) + "powerUpOutputs").text);
            break;
        default:
            break;
        }
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonObject settingsJson(const EditSession& s) {
    QJsonValue root = QJsonObject();
    for (const Instance& i : instances())
        root = insertAt(root, i.path.split(QLatin1Char('.')), i.read(s).json);
    return root.toObject();
}

QList<SettingEntry> settingEntries(const EditSession& s) {
    QList<SettingEntry> out;
    for (const Instance& i : instances()) {
        if (!i.row->inDiff)
            continue;
        const Value v = i.read(s);
        out << SettingEntry{i.path, i.caption(), v.text, v.json, i.row->bytes(i.at)};
    }
    return out;
}

QJsonValue jsonAt(const QJsonObject& root, const QString& path) {
    QJsonValue v = root;
    for (const QString& part : path.split(QLatin1Char('.'))) {
        if (v.isObject()) {
            v = v.toObject().value(part);
        } else if (v.isArray()) {
            bool ok = false;
            const int n = part.toInt(&ok);
            const QJsonArray a = v.toArray();
            if (!ok || n < 1 || n > a.size())
                return QJsonValue(QJsonValue::Undefined);
            v = a.at(n - 1);
        } else {
            return QJsonValue(QJsonValue::Undefined);
        }
    }
    return v;
}

} // namespace settings
