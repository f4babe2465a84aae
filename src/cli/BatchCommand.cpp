// `ledsign batch TEMPLATE.tbl UNITS.csv --port P...`: a line of signs, one child process per
// station working through one queue of units, every attempt recorded in a JSON-lines log.
#include "cli/BatchPlan.h"
#include "cli/BatchStation.h"
#include "cli/Commands.h"
#include "core/Messages.h"
#include "image/AtomicSave.h"
#include "image/TableFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstdio>
#include <deque>
#include <memory>

namespace cli {

namespace {

const QString kPort = QStringLiteral("port");
const QString kLog = QStringLiteral("log");
const QString kRetries = QStringLiteral("retries");
const QString kPrompt = QStringLiteral("prompt");
const QString kPollMs = QStringLiteral("poll-ms");
const QString kAbsenceMs = QStringLiteral("absence-ms");
// The child's side, not for people.
const QString kStation = QStringLiteral("station-image");
const QString kAfterSign = QStringLiteral("station-after-sign");

std::atomic<bool> interruptAsked{false};
void onInterrupt(int) {
    interruptAsked = true;
}

QCommandLineOption hidden(QCommandLineOption o) {
    o.setFlags(QCommandLineOption::HiddenFromHelp);
    return o;
}

struct Station {
    QString port;
    std::unique_ptr<QProcess> child;
    int unit = -1; // index into the plan, -1 idle
    bool hadSign = false;
    bool ended = false;
    QString phase;
    int percent = 0;
    QString firmware, backup, message;
    QElapsedTimer clock;
    QByteArray pending; // an unfinished line from the child
};

QString jsonLine(const QJsonObject& o) {
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

int runBatch(const QStringList& args) {
    ArgParser p(args, QStringLiteral(
                          "Programs a line of signs: every unit of UNITS.csv (header 'unit' then "
                          "'ledsign set' keys; an empty cell keeps the template's value) gets the "
                          "template with its row applied through the window's rules. Every row "
                          "is checked before any sign is touched. Each --port is a station that "
                          "waits for a sign, writes it (backing up what it held), then waits "
                          "until it is unplugged before the next. Every attempt is one JSON "
                          "line in the log; a re-run with the same log skips the units already "
                          "ok. Ctrl+C lets the signs being written finish. Exit 0 when every "
                          "unit is ok, 1 when some failed or were left."));
    p.addPositional(QStringLiteral("template"), QStringLiteral("The template table file (.tbl)."));
    p.addPositional(QStringLiteral("units"), QStringLiteral("The units (.csv)."));
    p.addOption(
        {kPort, QStringLiteral("A station's serial port (repeatable)."), QStringLiteral("path")});
    p.addOption({kLog,
                 QStringLiteral("The log (default batch-YYYYMMDD-HHMMSS.jsonl beside the CSV)."),
                 QStringLiteral("file")});
    p.addOption({kRetries,
                 QStringLiteral("How often a failed unit goes back to the queue "
                                "(default 1)."),
                 QStringLiteral("n")});
    p.addOption({kPrompt, QStringLiteral("Ask on the terminal for each sign instead of waiting "
                                         "for it to answer.")});
    p.addOption({kPollMs,
                 QStringLiteral("Poll period in milliseconds while waiting for the "
                                "sign (default 50)."),
                 QStringLiteral("ms")});
    p.addOption({kAbsenceMs,
                 QStringLiteral("How long a sign must stay silent to count as unplugged "
                                "(default 2000)."),
                 QStringLiteral("ms")});
    p.addOption(hidden({kStation, QString(), QStringLiteral("file")}));
    p.addOption(hidden(QCommandLineOption(kAfterSign)));
    if (auto done = p.parse(0, 2))
        return *done;

    auto number = [&](const QString& name, int fallback, int least,
                      int most) -> std::optional<int> {
        if (!p.isSet(name))
            return fallback;
        bool ok = false;
        const int v = QLocale::c().toInt(p.value(name), &ok);
        if (!ok || v < least || v > most)
            return std::nullopt;
        return v;
    };
    const auto pollMs = number(kPollMs, 0, 1, 1000);
    const auto absenceMs = number(kAbsenceMs, 2000, 0, 600000);
    const auto retries = number(kRetries, 1, 0, 100);
    for (const auto& [name, v] : {std::pair{kPollMs, pollMs}, std::pair{kAbsenceMs, absenceMs},
                                  std::pair{kRetries, retries}})
        if (!v)
            return p.usageError(msg::batch::badNumber(name, p.value(name)));

    if (p.isSet(kStation)) {
        batch::StationJob job{p.value(kPort), p.value(kStation), p.isSet(kAfterSign),
                              true,           *absenceMs,        *pollMs};
        return batch::runStation(job);
    }
    if (p.positional().size() != 2)
        return p.usageError(msg::cli::tryHelp(QStringLiteral("ledsign batch")));
    QStringList ports;
    for (const QString& v : p.values(kPort))
        if (!v.trimmed().isEmpty() && !ports.contains(v.trimmed()))
            ports << v.trimmed();
    if (ports.isEmpty())
        return p.usageError(msg::cli::missingOption(kPort));

    CliSeam seam(p.presets());
    const QString templatePath = p.positional().at(0), csvPath = p.positional().at(1);
    ParamImage templ;
    if (!openTableOrFail(templatePath, templ, seam))
        return kExitFailure;
    QFile csvFile(csvPath);
    if (!csvFile.open(QIODevice::ReadOnly))
        return fileFailure(seam, msg::openError, csvPath, csvFile.errorString());
    const batch::Plan plan =
        batch::makePlan(templ.toByteArray(), csvFile.readAll(), QFileInfo(csvPath).fileName());
    if (plan.exitCode != 0) {
        err() << plan.error << Qt::endl;
        return plan.exitCode;
    }

    // The log: read once for the units already ok, then rewritten whole at every record.
    const QString logPath =
        p.isSet(kLog)
            ? p.value(kLog)
            : QFileInfo(csvPath).absoluteDir().filePath(
                  QStringLiteral("batch-") +
                  QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                  QStringLiteral(".jsonl"));
    QByteArray logText;
    QSet<QString> alreadyOk;
    if (QFile old(logPath); old.open(QIODevice::ReadOnly)) {
        logText = old.readAll();
        for (const QByteArray& line : logText.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o.value(QStringLiteral("result")).toString() == QLatin1String("ok"))
                alreadyOk << o.value(QStringLiteral("unit")).toString();
        }
        if (!logText.isEmpty() && !logText.endsWith('\n'))
            logText += '\n';
    }
    QString logProblem;
    auto record = [&](const QJsonObject& o) {
        logText += jsonLine(o).toUtf8() + '\n';
        saveAtomically(logPath, logText, &logProblem);
    };

    QTemporaryDir images;
    std::deque<int> queue;
    QList<int> attempts(plan.units.size(), 0);
    int skipped = 0;
    for (int i = 0; i < plan.units.size(); ++i) {
        if (alreadyOk.contains(plan.units[i].label)) {
            ++skipped;
            continue;
        }
        ParamImage image;
        image.assign(plan.units[i].image);
        QString reason;
        const QString path = images.filePath(QString::number(i) + QStringLiteral(".tbl"));
        if (!tablefile::save(path, image, &reason))
            return fileFailure(seam, msg::saveError, path, reason);
        queue.push_back(i);
    }
    const bool quiet = p.quiet();
    const bool live = !quiet && isTerminal(stdout);
    if (skipped > 0 && !quiet)
        out() << msg::batch::skipped(skipped) << Qt::endl;

    std::vector<Station> stations(size_t(ports.size()));
    for (qsizetype i = 0; i < ports.size(); ++i)
        stations[size_t(i)].port = ports[i];
    int done = 0, failed = 0;
    bool interrupted = false;
    int drawn = 0;
    QEventLoop loop;

    auto lineOf = [&](const Station& s) {
        QString unit = s.unit >= 0 ? plan.units[s.unit].label : QStringLiteral("-");
        QString text = s.port + QStringLiteral("  unit ") + unit + QStringLiteral("  ") +
                       (s.ended ? QStringLiteral("ended") : s.phase);
        if (s.phase == QLatin1String("writing") || s.percent > 0)
            text += QStringLiteral("  ") + QString::number(s.percent) + QLatin1Char('%');
        return text;
    };
    auto redraw = [&] {
        if (!live)
            return;
        if (drawn > 0)
            out() << "\x1b[" << drawn << 'A';
        for (const Station& s : stations)
            out() << "\r\x1b[2K" << lineOf(s) << '\n';
        drawn = int(stations.size());
        out().flush();
    };
    auto say = [&](const QString& text) {
        if (quiet)
            return;
        if (live && drawn > 0) {
            out() << "\x1b[" << drawn << 'A' << "\r\x1b[J";
            drawn = 0;
        }
        out() << text << Qt::endl;
        redraw();
    };

    std::function<void(Station&)> startNext;
    auto finishUnit = [&](Station& s, int code) {
        const batch::Unit& u = plan.units[s.unit];
        const bool ok = code == 0;
        QString message = s.message;
        if (code == batch::kExitPortFailed)
            message = msg::batch::portFailed;
        else if (!ok && interrupted && s.phase != QLatin1String("writing"))
            message = msg::batch::interrupted;
        const qint64 tenths = s.clock.elapsed() / 100; // seconds with one decimal, cut off
        QJsonObject o{
            {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
            {QStringLiteral("unit"), u.label},
            {QStringLiteral("port"), s.port},
            {QStringLiteral("firmware"), s.firmware},
            {QStringLiteral("checksum"),
             QString::fromLatin1(
                 QCryptographicHash::hash(u.image, QCryptographicHash::Sha256).toHex())},
            {QStringLiteral("backup"), s.backup},
            {QStringLiteral("result"), ok ? QStringLiteral("ok") : QStringLiteral("failed")},
            {QStringLiteral("message"), message},
            {QStringLiteral("seconds"), double(tenths) / 10.0},
        };
        record(o);
        say(s.port + QStringLiteral("  unit ") + u.label + QStringLiteral("  ") +
            (ok ? QStringLiteral("ok") : QStringLiteral("failed: ") + message));
        s.hadSign = ok;
        if (ok) {
            ++done;
        } else if (code == batch::kExitPortFailed) {
            queue.push_front(s.unit); // not the unit's fault
            s.ended = true;
        } else if (!interrupted && ++attempts[s.unit] <= *retries) {
            queue.push_front(s.unit);
        } else {
            ++failed;
        }
        s.unit = -1;
        s.child.reset();
        if (!s.ended)
            startNext(s);
        redraw();
        if (std::all_of(stations.begin(), stations.end(), [](const Station& t) { return t.ended; }))
            loop.quit();
    };
    auto takeOutput = [&](Station& s) {
        s.pending += s.child->readAllStandardOutput();
        qsizetype nl;
        while ((nl = s.pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(s.pending.left(nl));
            s.pending.remove(0, nl + 1);
            const qsizetype sp = line.indexOf(QLatin1Char(' '));
            const QString what = line.left(sp), text = sp < 0 ? QString() : line.mid(sp + 1);
            if (what == QLatin1String("phase")) {
                if (text == QLatin1String("writing") || text == QLatin1String("waiting") ||
                    text == QLatin1String("unplug"))
                    s.phase = text;
                if (text == QLatin1String("writing"))
                    s.clock.start();
                s.percent = 0;
                if (!live && !quiet && s.phase == text)
                    say(lineOf(s));
            } else if (what == QLatin1String("percent")) {
                s.percent = text.toInt();
            } else if (what == QLatin1String("firmware")) {
                s.firmware = text;
            } else if (what == QLatin1String("backup")) {
                s.backup = text;
            } else if (what == QLatin1String("message")) {
                s.message = text;
            }
        }
        redraw();
    };
    startNext = [&](Station& s) {
        if (queue.empty() || interrupted) {
            s.ended = true;
            return;
        }
        s.unit = queue.front();
        queue.pop_front();
        s.firmware.clear();
        s.backup.clear();
        s.message.clear();
        s.percent = 0;
        s.phase = QStringLiteral("waiting");
        s.clock.start();
        const QString& unit = plan.units[s.unit].label;
        // Asked on the terminal, the technician has swapped the sign: the station only waits for
        // the new one to answer (it may still be starting up), not for the old one to go.
        bool afterSign = s.hadSign;
        if (p.isSet(kPrompt)) {
            say(msg::batch::connect(unit, s.port));
            QFile in;
            if (!in.open(stdin, QIODevice::ReadOnly) || in.readLine().isEmpty()) {
                queue.push_front(s.unit);
                s.unit = -1;
                s.ended = true;
                return;
            }
            afterSign = false;
        }
        QStringList a{QStringLiteral("batch"),
                      QStringLiteral("--") + kPort,
                      s.port,
                      QStringLiteral("--") + kStation,
                      images.filePath(QString::number(s.unit) + QStringLiteral(".tbl")),
                      QStringLiteral("--") + kAbsenceMs,
                      QString::number(*absenceMs)};
        if (*pollMs > 0)
            a << QStringLiteral("--") + kPollMs << QString::number(*pollMs);
        if (afterSign)
            a << QStringLiteral("--") + kAfterSign;
        s.child = std::make_unique<QProcess>();
        QProcess* c = s.child.get();
        c->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(c, &QProcess::readyReadStandardOutput, [&, c, &s = s] {
            if (s.child.get() == c)
                takeOutput(s);
        });
        QObject::connect(
            c, &QProcess::finished, &loop,
            [&, c, &s = s](int code, QProcess::ExitStatus st) {
                if (s.child.get() != c)
                    return;
                takeOutput(s);
                finishUnit(s, st == QProcess::NormalExit ? code : 1);
            },
            Qt::QueuedConnection);
        c->start(QCoreApplication::applicationFilePath(), a);
    };

    // Ctrl+C: no new sign is started; a station still waiting for its sign stops now, one
    // writing stops once its current bank is written and read back (told by a file beside the
    // units' images), so no bank is left half done.
    interruptAsked = false;
    const auto previous = std::signal(SIGINT, onInterrupt);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!interruptAsked || interrupted)
            return;
        interrupted = true;
        QFile stop(batch::stopFileFor(images.filePath(QStringLiteral("0.tbl"))));
        stop.open(QIODevice::WriteOnly);
        stop.close();
        for (Station& s : stations)
            if (s.child && s.phase != QLatin1String("writing"))
                s.child->kill();
    });
    watch.start(50);
    for (Station& s : stations)
        startNext(s);
    redraw();
    if (!std::all_of(stations.begin(), stations.end(), [](const Station& t) { return t.ended; }))
        loop.exec();
    std::signal(SIGINT, previous);

    if (!logProblem.isEmpty())
        fileFailure(seam, msg::saveError, logPath, logProblem);
    const int left = int(queue.size());
    out() << msg::batch::summary(done + skipped, failed, left) << Qt::endl;
    return failed == 0 && left == 0 && logProblem.isEmpty() ? kExitOk : kExitFailure;
}

} // namespace cli
