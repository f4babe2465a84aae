// The lines a batch reads back: its log (every record as a re-run and --report take it) and
// its stations' events. What is read must come out of its own writing the same.
#include "FuzzInput.h"
#include "batch/BatchLog.h"
#include "batch/BatchReport.h"
#include "batch/CsvReader.h"
#include "batch/StationProtocol.h"

#include <QSet>
#include <cstddef>
#include <cstdint>

namespace {

bool same(const batch::LogRecord& a, const batch::LogRecord& b) {
    return a.time == b.time && a.unit == b.unit && a.port == b.port && a.firmware == b.firmware &&
           a.templateChecksum == b.templateChecksum && a.imageChecksum == b.imageChecksum &&
           a.backup == b.backup && a.result == b.result && a.message == b.message &&
           a.seconds == b.seconds && a.attempt == b.attempt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<batch::LogRecord> records = batch::readRecords(text);
    QSet<QString> units;
    for (const batch::LogRecord& r : records) {
        // Once written by the program, a record reads back as it was written.
        const auto once = batch::LogRecord::fromLine(QByteArrayView(r.toLine()).chopped(1));
        if (!once)
            qFatal("a record that does not read back");
        const auto twice = batch::LogRecord::fromLine(QByteArrayView(once->toLine()).chopped(1));
        if (!twice || !same(*once, *twice))
            qFatal("a record that changes each time it is written");
        units.insert(r.unit);
    }
    // The report: a header and one record per unit, eight fields each.
    const csv::Table report = csv::parse(batch::reportCsv(records));
    if (report.records.size() != units.size() + 1)
        qFatal("%d report lines for %d units", int(report.records.size()), int(units.size()));
    for (const csv::Record& r : report.records)
        if (r.fields.size() != 8)
            qFatal("a report line of %d fields", int(r.fields.size()));

    for (const QByteArray& line : text.split('\n')) {
        const auto e = batch::parseEvent(line);
        if (!e)
            continue;
        const QByteArray again = batch::formatEvent(*e);
        const auto back = batch::parseEvent(QByteArrayView(again).chopped(1));
        if (!back || back->kind != e->kind || back->phase != e->phase ||
            back->number != e->number || back->bytes != e->bytes ||
            batch::formatEvent(*back) != again)
            qFatal("a station event that does not survive its line: %s", line.constData());
    }
    return 0;
}
