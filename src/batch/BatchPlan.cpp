#include "batch/BatchPlan.h"

#include "batch/CsvReader.h"
#include "core/Messages.h"
#include "image/ParamImage.h"
#include "settings/EditSession.h"
#include "settings/SettingTable.h"

#include <QHash>
#include <map>
#include <vector>

namespace batch {

Plan makePlan(const QByteArray& templateImage, const QByteArray& csvBytes, const QString& csvName) {
    Plan plan;
    plan.templateImage = templateImage;
    // Every fault of the file, by line: a malformed file (exit 2) is told apart from values a
    // rule refused (exit 1) whatever their order.
    std::multimap<int, QString> malformed, refused;
    const csv::Table table = csv::parse(csvBytes);
    for (const csv::Error& e : table.errors)
        malformed.emplace(e.line, e.text);

    const csv::Record* header = table.records.isEmpty() ? nullptr : &table.records.first();
    std::vector<const settings::Instance*> columns; // null: an unknown or repeated key
    QStringList keys;
    if (!header || header->fields.value(0).trimmed() != QLatin1String("unit")) {
        malformed.emplace(header ? header->line : 1, msg::batch::noUnitColumn);
    } else {
        for (const QString& cell : header->fields.mid(1)) {
            const QString key = cell.trimmed();
            const settings::Instance* s = settings::findKey(key);
            if (!s)
                malformed.emplace(header->line, settings::readChange(key, {}).error);
            else if (keys.contains(key))
                malformed.emplace(header->line, msg::batch::duplicateKey(key));
            columns.push_back(s && !keys.contains(key) ? s : nullptr);
            keys << key;
        }
    }
    if (header && table.records.size() < 2 && malformed.empty())
        malformed.emplace(header->line, msg::batch::noUnits);

    settings::EditSession opened;
    {
        ParamImage image;
        image.assign(templateImage);
        opened.take(image);
    }
    QHash<QString, int> seen;
    for (const csv::Record& r : table.records.mid(1)) {
        const QString unit = r.fields.first().trimmed();
        if (unit.isEmpty())
            malformed.emplace(r.line, msg::batch::emptyUnit());
        else if (seen.contains(unit))
            malformed.emplace(r.line, msg::batch::duplicateUnit(printable(unit), seen.value(unit)));
        else
            seen.insert(unit, r.line);
        if (!header || r.fields.size() != header->fields.size()) {
            if (header)
                malformed.emplace(r.line, msg::batch::fieldCount(int(r.fields.size()),
                                                                 int(header->fields.size())));
            continue;
        }
        // As a window just started opens the template, then the row's changes in order (a
        // session is a value: a copy of one that took the template is that window).
        settings::EditSession s = opened;
        bool usable = true;
        for (size_t c = 0; c < columns.size(); ++c) {
            const QString value = r.fields.at(qsizetype(c) + 1);
            if (value.isEmpty() || !columns[c])
                continue;
            const QString& key = keys.at(qsizetype(c));
            const settings::Change change = settings::readChange(key, value);
            if (!change.setting) {
                malformed.emplace(r.line, change.error);
                usable = false;
                continue;
            }
            const RuleOutcome o = settings::apply(s, *change.setting, change.input);
            if (o.refused()) {
                refused.emplace(r.line, msg::batch::unitKey(printable(unit), key, o.text));
                usable = false;
            }
        }
        if (!usable)
            continue;
        s.collectRecord();
        plan.units << Unit{unit, r.line, s.image().toByteArray()};
    }

    if (malformed.empty() && refused.empty())
        return plan;
    plan.exitCode = malformed.empty() ? 1 : 2;
    std::multimap<int, QString> all = malformed;
    all.insert(refused.begin(), refused.end());
    for (const auto& [line, text] : all)
        plan.errors << msg::batch::at(csvName, line, text);
    plan.error = plan.errors.mid(0, kShownErrors).join(QLatin1Char('\n'));
    if (plan.errors.size() > kShownErrors)
        plan.error +=
            QLatin1Char('\n') + msg::batch::moreErrors(int(plan.errors.size()) - kShownErrors);
    plan.units.clear();
    return plan;
}

QString printable(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            out += QStringLiteral("\\n");
        else if (u == u'\r')
            out += QStringLiteral("\\r");
        else if (u == u'\t')
            out += QStringLiteral("\\t");
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            out +=
                QStringLiteral("\\x") + QString::number(u, 16).rightJustified(2, QLatin1Char('0'));
        else if (c.category() == QChar::Other_Format || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u{") + QString::number(u, 16) + QLatin1Char('}');
        else
            out += c;
    }
    return out;
}

} // namespace batch
