#include "batch/StationProtocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <array>
#include <utility>

namespace batch {

namespace {

using Kind = StationEvent::Kind;

constexpr std::array kKindWords{
    std::pair{Kind::Phase, "phase"},       std::pair{Kind::Percent, "percent"},
    std::pair{Kind::Firmware, "firmware"}, std::pair{Kind::Backup, "backup"},
    std::pair{Kind::Message, "message"},   std::pair{Kind::Ready, "ready"},
    std::pair{Kind::Image, "image"},       std::pair{Kind::Stop, "stop"},
};
constexpr std::array kPhaseWords{
    std::pair{StationPhase::Waiting, "waiting"},
    std::pair{StationPhase::Writing, "writing"},
    std::pair{StationPhase::ReadingBack, "reading-back"},
    std::pair{StationPhase::Unplug, "unplug"},
};

} // namespace

QByteArray formatEvent(const StationEvent& e) {
    QByteArray line;
    for (const auto& [k, word] : kKindWords)
        if (k == e.kind)
            line = word;
    switch (e.kind) {
    case Kind::Phase:
        for (const auto& [p, word] : kPhaseWords)
            if (p == e.phase)
                line += QByteArray(" ") + word;
        break;
    case Kind::Percent:
        line += ' ' + QByteArray::number(e.number);
        break;
    case Kind::Firmware:
    case Kind::Backup:
    case Kind::Message: {
        QByteArray text = e.text.toUtf8();
        text.replace('\r', ' ').replace('\n', ' ');
        line += ' ' + text;
        break;
    }
    case Kind::Image:
        line += ' ' + e.bytes.toBase64();
        break;
    case Kind::Ready:
    case Kind::Stop:
        break;
    }
    return line + '\n';
}

std::optional<StationEvent> parseEvent(QByteArrayView line) {
    const qsizetype sp = line.indexOf(' ');
    const QByteArrayView word = sp < 0 ? line : line.first(sp);
    const QByteArrayView rest = sp < 0 ? QByteArrayView() : line.sliced(sp + 1);
    std::optional<Kind> kind;
    for (const auto& [k, w] : kKindWords)
        if (word == w)
            kind = k;
    if (!kind)
        return std::nullopt;
    StationEvent e;
    e.kind = *kind;
    switch (e.kind) {
    case Kind::Phase:
        for (const auto& [p, w] : kPhaseWords)
            if (rest == w)
                return StationEvent::ofPhase(p);
        return std::nullopt;
    case Kind::Percent: {
        bool ok = false;
        e.number = QLocale::c().toInt(QString::fromLatin1(rest), &ok);
        if (!ok || e.number < 0 || e.number > 100)
            return std::nullopt;
        return e;
    }
    case Kind::Firmware:
    case Kind::Backup:
    case Kind::Message:
        e.text = QString::fromUtf8(rest);
        return e;
    case Kind::Image: {
        auto decoded = QByteArray::fromBase64Encoding(rest.toByteArray(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        e.bytes = *decoded;
        return e;
    }
    case Kind::Ready:
    case Kind::Stop:
        return rest.isEmpty() ? std::optional(e) : std::nullopt;
    }
    return std::nullopt;
}

QStringList stationArguments(const StationJob& job) {
    using namespace stationOption;
    QStringList a{QStringLiteral("batch"),          QStringLiteral("--") + station,
                  QStringLiteral("--") + port,      job.port,
                  QStringLiteral("--") + absenceMs, QString::number(job.absenceMs)};
    if (job.pollMs > 0)
        a << QStringLiteral("--") + pollMs << QString::number(job.pollMs);
    if (job.afterSign)
        a << QStringLiteral("--") + afterSign;
    return a;
}

QString defaultStationProgram() {
    const QString self = QCoreApplication::applicationFilePath();
    if (QFileInfo(self).fileName() == QLatin1String("ledsign"))
        return self;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ledsign"));
}

} // namespace batch
