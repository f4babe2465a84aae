#include "app/production/RunTally.h"

#include <QHash>
#include <QLocale>
#include <QSet>

namespace production {

double Tally::perHour(qint64 elapsedMs) const {
    return elapsedMs <= 0 ? 0.0 : okSince * 3600000.0 / double(elapsedMs);
}

QString Tally::perHourText(qint64 elapsedMs) const {
    // A rate after a few seconds says nothing yet.
    if (okSince == 0 || elapsedMs < 1000)
        return QStringLiteral("-");
    return QLocale::c().toString(perHour(elapsedMs), 'f', 0);
}

QString Tally::yieldText() const {
    if (firstTried == 0)
        return QStringLiteral("-");
    return QString::number(qRound(100.0 * firstPassed / firstTried)) + QStringLiteral(" %");
}

Tally tally(const QList<batch::LogRecord>& records, const QStringList& units, qsizetype runBegins) {
    const QSet<QString> planned(units.begin(), units.end());
    QSet<QString> ok, failedSince, triedSince;
    Tally t;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const batch::LogRecord& r = records[i];
        if (!planned.contains(r.unit))
            continue;
        const bool inRun = i >= runBegins;
        if (r.result == batch::kResultOk)
            ok.insert(r.unit);
        if (!inRun || r.result == batch::kResultLeft)
            continue;
        if (r.result == batch::kResultOk)
            ++t.okSince;
        else
            failedSince.insert(r.unit);
        if (!triedSince.contains(r.unit)) {
            triedSince.insert(r.unit);
            ++t.firstTried;
            if (r.result == batch::kResultOk)
                ++t.firstPassed;
        }
    }
    t.done = int(ok.size());
    for (const QString& u : failedSince)
        if (!ok.contains(u))
            ++t.failed;
    t.left = int(planned.size()) - t.done - t.failed;
    return t;
}

QString elapsedText(qint64 ms) {
    const qint64 s = ms / 1000;
    const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    if (s >= 3600)
        return QString::number(s / 3600) + QLatin1Char(':') + two(s / 60 % 60) + QLatin1Char(':') +
               two(s % 60);
    return two(s / 60) + QLatin1Char(':') + two(s % 60);
}

} // namespace production
