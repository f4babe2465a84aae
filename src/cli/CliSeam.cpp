#include "cli/CliSeam.h"

#include "core/Messages.h"

#include <algorithm>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#else
#include <io.h>
#endif

namespace cli {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

namespace {
constexpr int kBarWidth = 30;

} // namespace

bool isTerminal(std::FILE* stream) {
#ifdef Q_OS_UNIX
    return ::isatty(::fileno(stream)) == 1;
#else
    return ::_isatty(::_fileno(stream)) != 0;
#endif
}

CliSeam::CliSeam(const Presets& presets)
    // A person watches the status line only on a terminal.
    : CliSeam(presets, cli::out(), cli::err(), isTerminal(stderr)) {}

CliSeam::CliSeam(const Presets& presets, QTextStream& out, QTextStream& err, bool interactive)
    : presets_(presets), out_(out), err_(err), showStatus_(interactive && !presets.quiet) {}

CliSeam::~CliSeam() {
    clearStatusLine();
}

void CliSeam::printLine(QTextStream& stream, const QString& text) {
    clearStatusLine();
    // A message box may hold line breaks; the terminal shows it as one line.
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    out_.flush();
    stream << line << Qt::endl;
    drawStatusLine();
}

void CliSeam::message(const QString& text) {
    printLine(out_, text);
}

void CliSeam::warning(const QString& text) {
    ++errors_;
    printLine(err_, text);
}

void CliSeam::fileError(const QString& text) {
    ++errors_;
    printLine(err_, text);
}

void CliSeam::error(const QString& text) {
    ++errors_;
    printLine(err_, text);
}

bool CliSeam::askYesNo(const QString& text) {
    printLine(out_, text);
    if (!presets_.quiet)
        printLine(err_, msg::cli::answered(presets_.yes));
    return presets_.yes;
}

UserSeam::SaveChoice CliSeam::askSaveChanges(const QString& text) {
    printLine(out_, text);
    return SaveChoice::Cancel;
}

std::optional<QString> CliSeam::inputText(const QString&, const QString& prompt, const QString&) {
    if (presets_.input)
        return presets_.input;
    if (!presets_.quiet)
        printLine(err_, msg::cli::inputCancelled(prompt));
    return std::nullopt;
}

void CliSeam::setStatus(const QString& text) {
    status_ = text;
    drawnPercent_ = -1;
    drawStatusLine();
}

void CliSeam::setProgressMax(int maximum) {
    maximum_ = maximum;
    drawStatusLine();
}

void CliSeam::setProgress(int position) {
    position_ = position;
    drawStatusLine();
}

void CliSeam::advanceProgress(int by) {
    setProgress(position_ + by);
}

int CliSeam::percent() const {
    if (maximum_ <= 0)
        return 0;
    const qint64 p = qint64(position_) * 100 / maximum_;
    return int(std::clamp<qint64>(p, 0, 100));
}

void CliSeam::clearStatusLine() {
    if (!lineDrawn_)
        return;
    err_ << "\r\033[K";
    err_.flush();
    lineDrawn_ = false;
}

void CliSeam::drawStatusLine() {
    if (!showStatus_ || status_.isEmpty())
        return;
    // Redraw only when something visible changed; a byte-by-byte transfer advances often.
    const int p = percent();
    if (lineDrawn_ && p == drawnPercent_)
        return;
    const int filled = p * kBarWidth / 100;
    err_ << "\r\033[K" << status_ << " [" << QString(filled, QLatin1Char('#'))
         << QString(kBarWidth - filled, QLatin1Char('.')) << "] " << p << '%';
    err_.flush();
    lineDrawn_ = true;
    drawnPercent_ = p;
}

} // namespace cli
