#include "WireLog.h"

bool WireLog::open(const QString& path, QString* error) {
    if (path.isEmpty())
        return true;
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        *error = QStringLiteral("cannot write log %1: %2").arg(path, file_.errorString());
        return false;
    }
    return true;
}

void WireLog::in(qsizetype bytes, const QString& what) {
    received_ += bytes;
    line(QStringLiteral("in %1 bytes %2").arg(bytes).arg(what));
}

void WireLog::out(qsizetype bytes, const QString& what) {
    line(QStringLiteral("out %1 bytes %2").arg(bytes).arg(what));
}

void WireLog::note(const QString& text) {
    line(text);
}

void WireLog::close() {
    if (!file_.isOpen())
        return;
    line(QStringLiteral("total in=%1 out=%2").arg(received_).arg(written_));
    file_.close();
}

void WireLog::line(const QString& text) {
    if (!file_.isOpen())
        return;
    file_.write(text.toUtf8());
    file_.write("\n");
    file_.flush(); // readers follow the log while the sign runs
}
