#include "cli/BatchPlan.h"

#include "cli/CsvReader.h"
#include "core/Messages.h"
#include "image/ParamImage.h"
#include "settings/EditSession.h"
#include "settings/SettingTable.h"

#include <QHash>
#include <vector>

namespace batch {

namespace {

Plan failed(int code, const QString& file, int line, const QString& text) {
    Plan p;
    p.exitCode = code;
    p.error = msg::batch::at(file, line, text);
    return p;
}

} // namespace

Plan makePlan(const QByteArray& templateImage, const QByteArray& csvBytes, const QString& csvName) {
    const csv::Table table = csv::parse(csvBytes);
    if (!table.error.isEmpty())
        return failed(2, csvName, table.errorLine, table.error);
    if (table.records.isEmpty() ||
        table.records.first().fields.value(0).trimmed() != QLatin1String("unit"))
        return failed(2, csvName, 1, msg::batch::noUnitColumn);
    if (table.records.size() < 2)
        return failed(2, csvName, 1, msg::batch::noUnits);

    const csv::Record& header = table.records.first();
    std::vector<const settings::Instance*> columns;
    QStringList keys;
    for (const QString& cell : header.fields.mid(1)) {
        const QString key = cell.trimmed();
        const settings::Instance* s = settings::findKey(key);
        if (!s)
            return failed(2, csvName, header.line, settings::readChange(key, {}).error);
        if (keys.contains(key))
            return failed(2, csvName, header.line, msg::batch::duplicateKey(key));
        columns.push_back(s);
        keys << key;
    }

    // Every row is read before any rule runs, so a malformed file is told apart from a
    // refused value whatever their order.
    QHash<QString, int> seen;
    for (const csv::Record& r : table.records.mid(1)) {
        if (r.fields.size() != header.fields.size())
            return failed(2, csvName, r.line,
                          msg::batch::fieldCount(int(r.fields.size()), int(header.fields.size())));
        const QString unit = r.fields.first().trimmed();
        if (unit.isEmpty())
            return failed(2, csvName, r.line, msg::batch::emptyUnit());
        if (seen.contains(unit))
            return failed(2, csvName, r.line, msg::batch::duplicateUnit(unit, seen.value(unit)));
        seen.insert(unit, r.line);
        for (size_t c = 0; c < columns.size(); ++c) {
            const QString value = r.fields.at(qsizetype(c) + 1);
            if (value.isEmpty())
                continue;
            if (const settings::Change change = settings::readChange(keys.at(qsizetype(c)), value);
                !change.setting)
                return failed(2, csvName, r.line, change.error);
        }
    }

    Plan plan;
    for (const csv::Record& r : table.records.mid(1)) {
        ParamImage image;
        image.assign(templateImage);
        // As a window just started opens the template, then the row's changes in order.
        settings::EditSession s;
        s.take(image);
        const QString unit = r.fields.first().trimmed();
        for (size_t c = 0; c < columns.size(); ++c) {
            const QString value = r.fields.at(qsizetype(c) + 1);
            if (value.isEmpty())
                continue;
            const settings::Change change = settings::readChange(keys.at(qsizetype(c)), value);
            const RuleOutcome o = settings::apply(s, *change.setting, change.input);
            if (o.refused())
                return failed(1, csvName, r.line,
                              msg::batch::unitKey(unit, keys.at(qsizetype(c)), o.text));
        }
        s.collectRecord();
        plan.units << Unit{unit, r.line, s.image().toByteArray()};
    }
    return plan;
}

} // namespace batch
