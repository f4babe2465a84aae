#include "batch/BatchPlan.h"

#include "batch/CsvReader.h"
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
    p.errors = {p.error};
    return p;
}

Plan failed(int code, const QStringList& errors) {
    Plan p;
    p.exitCode = code;
    p.error = errors.first();
    p.errors = errors;
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
            return failed(2, csvName, header.line,
                          msg::cli::unknownKey(key, settings::keyPatterns()));
        if (keys.contains(key))
            return failed(2, csvName, header.line, msg::batch::duplicateKey(key));
        columns.push_back(s);
        keys << key;
    }

    // Every row is read before any rule runs, so a malformed file is told apart from a
    // refused value whatever their order.
    // Each row is told once, at its first problem; the others are read on.
    QHash<QString, int> seen;
    QStringList malformed;
    for (const csv::Record& r : table.records.mid(1)) {
        auto problem = [&](const QString& text) {
            malformed << msg::batch::at(csvName, r.line, text);
        };
        if (r.fields.size() != header.fields.size()) {
            problem(msg::batch::fieldCount(int(r.fields.size()), int(header.fields.size())));
            continue;
        }
        const QString unit = r.fields.first().trimmed();
        if (unit.isEmpty()) {
            problem(msg::batch::emptyUnit());
            continue;
        }
        if (seen.contains(unit)) {
            problem(msg::batch::duplicateUnit(unit, seen.value(unit)));
            continue;
        }
        seen.insert(unit, r.line);
        for (size_t c = 0; c < columns.size(); ++c) {
            const QString value = r.fields.at(qsizetype(c) + 1);
            settings::Input input;
            if (!value.isEmpty() && !settings::readInput(*columns[c]->row, value, input)) {
                const QString taken = settings::valuesTaken(*columns[c]->row);
                problem(msg::cli::notAnItem(keys.at(qsizetype(c)), value,
                                            taken.startsWith(QStringLiteral("one of "))
                                                ? taken.mid(7)
                                                : QStringLiteral("true, false")));
                break;
            }
        }
    }
    if (!malformed.isEmpty())
        return failed(2, malformed);

    Plan plan;
    plan.templateImage = templateImage;
    QStringList refused;
    for (const csv::Record& r : table.records.mid(1)) {
        ParamImage image;
        image.assign(templateImage);
        // As a window just started opens the template, then the row's changes in order.
        settings::EditSession s;
        s.take(image);
        const QString unit = r.fields.first().trimmed();
        bool usable = true;
        for (size_t c = 0; c < columns.size() && usable; ++c) {
            const QString value = r.fields.at(qsizetype(c) + 1);
            if (value.isEmpty())
                continue;
            settings::Input input;
            settings::readInput(*columns[c]->row, value, input);
            const RuleOutcome o = settings::apply(s, *columns[c], input);
            if (o.refused()) {
                refused << msg::batch::at(csvName, r.line,
                                          msg::batch::unitKey(unit, keys.at(qsizetype(c)), o.text));
                usable = false;
            }
        }
        s.collectRecord();
        plan.units << Unit{unit, r.line, s.image().toByteArray()};
    }
    if (!refused.isEmpty())
        return failed(1, refused);
    return plan;
}

} // namespace batch
