#pragma once

#include <QFile>
#include <QString>
#include <QtGlobal>

// The traffic log of --log: one line per frame or stray block, in the order they crossed the
// line. Lines of traffic start "in N bytes" or "out N bytes" (N = bytes on the wire, stuffing
// and end byte included), so the totals per direction can be added up; other lines
// (display frames, dropped answers) start with other words. close() ends with
// "total in=N out=M", counting the bytes actually written to the line.
class WireLog {
  public:
    bool open(const QString& path, QString* error);
    void in(qsizetype bytes, const QString& what);
    void out(qsizetype bytes, const QString& what);
    void note(const QString& line);
    void countWritten(qsizetype bytes) { written_ += bytes; }
    void close();

  private:
    void line(const QString& text);

    QFile file_;
    qint64 received_ = 0;
    qint64 written_ = 0;
};
