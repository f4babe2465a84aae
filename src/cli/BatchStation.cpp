#include "cli/BatchStation.h"

#include "backup/Backups.h"
#include "core/UserSeam.h"
#include "image/ParamImage.h"
#include "image/TableFile.h"
#include "protocol/Exchange.h"
#include "protocol/Link.h"
#include "protocol/OperationHost.h"
#include "protocol/PagerOperations.h"
#include "serial/TCommPort.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <csignal>
#include <cstdio>

namespace batch {

namespace {

void report(const QString& what, const QString& text) {
    const QByteArray line = (what + QLatin1Char(' ') + text).toUtf8().replace('\n', ' ') + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

// The parent shows everything: the sign's questions are answered as a line's new signs need
// (Yes to overwriting a blank sign), texts become lines for it.
class StationSeam : public UserSeam {
  public:
    bool quietLink = false;
    void message(const QString& text) override { say(text); }
    void warning(const QString& text) override { say(text); }
    void fileError(const QString& text) override { say(text); }
    void error(const QString& text) override { say(text); }
    bool askYesNo(const QString&) override { return true; }
    SaveChoice askSaveChanges(const QString&) override { return SaveChoice::Cancel; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void setStatus(const QString& text) override {
        if (!quietLink)
            report(QStringLiteral("phase"), text);
    }
    void setProgressMax(int maximum) override { max_ = qMax(1, maximum); }
    void setProgress(int position) override { show(position); }
    void advanceProgress(int by) override { show(position_ + by); }
    void breathe() override {}

  private:
    void say(const QString& text) {
        if (!quietLink)
            report(QStringLiteral("message"), text);
    }
    void show(int position) {
        position_ = position;
        const int percent = qBound(0, position * 100 / max_, 100);
        if (percent / 10 != shown_ / 10 && !quietLink)
            report(QStringLiteral("percent"), QString::number(percent));
        shown_ = percent;
    }
    int max_ = 100, position_ = 0, shown_ = -1;
};

class NoHost : public OperationHost {
  public:
    void collectPendingRecord() override {}
    void refreshFromImage() override {}
    void setWriteEnabled(bool) override {}
    void enablePager() override {}
};

// Each backup is reported to the line (stations back up side by side: the store takes one at
// a time).
class ReportingKeeper : public ReadKeeper {
  public:
    bool keep(const SignReading& reading, QString* reason) override {
        const QString file = store_.add(reading, reason);
        if (file.isEmpty())
            return false;
        report(QStringLiteral("firmware"), reading.firmware);
        report(QStringLiteral("backup"), QFileInfo(file).fileName());
        return true;
    }

  private:
    backup::Store store_;
};

} // namespace

QString stopFileFor(const QString& imagePath) {
    return QFileInfo(imagePath).dir().filePath(QStringLiteral("stop"));
}

int runStation(const StationJob& job) {
    // Ctrl+C reaches the whole terminal's group; a signal would cut short the waits of the
    // line, so the parent says when to stop with a file beside the unit's image instead: a
    // Write under way stops once its current bank is written and read back.
    std::signal(SIGINT, SIG_IGN);
    const QString stopFile = stopFileFor(job.imagePath);
    ParamImage image;
    const tablefile::OpenResult r = tablefile::open(job.imagePath, image);
    if (r.outcome == tablefile::Outcome::Unreadable || r.outcome == tablefile::Outcome::Refused) {
        report(QStringLiteral("message"), r.message);
        return 1;
    }
    image.writeModelTag();

    TCommPort port;
    StationSeam seam;
    Exchange ex(port, seam);
    if (job.pollMs > 0)
        ex.timing().pollEvery(job.pollMs);
    LinkState link;
    link.portName = job.port;
    // A sign answers the link, or it does not; a port that cannot be opened ends the station.
    auto answers = [&]() -> std::optional<bool> {
        seam.quietLink = true;
        link.cancelled = false;
        const bool ok = LinkToSign(ex, link);
        seam.quietLink = false;
        if (ok) {
            try {
                port.Close();
            } catch (const ECommError&) {
            }
        }
        if (link.cancelled && !ok)
            return std::nullopt;
        return ok;
    };
    constexpr int kProbeGapMs = 100;
    if (job.afterSign) {
        report(QStringLiteral("phase"), QStringLiteral("unplug"));
        QElapsedTimer silent;
        while (!silent.isValid() || silent.elapsed() < job.absenceMs) {
            const auto a = answers();
            if (!a)
                return kExitPortFailed;
            if (*a)
                silent.invalidate();
            else if (!silent.isValid())
                silent.start();
            QThread::msleep(kProbeGapMs);
        }
    }
    if (job.waitForSign) {
        report(QStringLiteral("phase"), QStringLiteral("waiting"));
        for (;;) {
            const auto a = answers();
            if (!a)
                return kExitPortFailed;
            if (*a)
                break;
            QThread::msleep(kProbeGapMs);
        }
    }
    report(QStringLiteral("phase"), QStringLiteral("writing"));
    NoHost host;
    ReportingKeeper keeper;
    PagerOperations ops(ex, image, link, host);
    ops.setKeeper(&keeper);
    PagerOperations::WriteChoices choices;
    choices.backUp = true;
    choices.stopBetweenBanks = [stopFile] { return QFileInfo::exists(stopFile); };
    const bool ok = ops.write(choices);
    try {
        port.Close();
    } catch (const ECommError&) {
    }
    return ok ? 0 : 1;
}

} // namespace batch
