#include "batch/BatchReport.h"

#include <QHash>
#include <QLocale>

namespace batch {

namespace {

QByteArray cell(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
        !bytes.contains('\r'))
        return bytes;
    return '"' + bytes.replace("\"", "\"\"") + '"';
}

} // namespace

QByteArray reportCsv(const QList<LogRecord>& records) {
    QList<QString> order;
    QHash<QString, const LogRecord*> last;
    QHash<QString, int> attempts;
    for (const LogRecord& r : records) {
        if (!last.contains(r.unit))
            order << r.unit;
        last.insert(r.unit, &r);
        ++attempts[r.unit];
    }
    QByteArray out = "unit,port,result,attempts,seconds,time,image_sha256,backup\n";
    for (const QString& unit : order) {
        const LogRecord& r = *last.value(unit);
        const QStringList cells{r.unit,
                                r.port,
                                r.result,
                                QString::number(attempts.value(unit)),
                                QLocale::c().toString(r.seconds, 'f', 1),
                                r.time.toUTC().toString(Qt::ISODate),
                                r.imageChecksum,
                                r.backup};
        QByteArrayList line;
        for (const QString& c : cells)
            line << cell(c);
        out += line.join(',') + '\n';
    }
    return out;
}

} // namespace batch
