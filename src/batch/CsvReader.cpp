#include "batch/CsvReader.h"

#include "core/Messages.h"

#include <QSet>
#include <QStringDecoder>

namespace csv {

namespace {

bool lineEnd(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Each line that is not UTF-8 is a fault of its own; the text goes on with U+FFFD in its place.
QSet<int> findBadLines(const QByteArray& bytes, Table& t) {
    QSet<int> bad;
    int line = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        const bool end = i == bytes.size() || bytes[i] == '\n' || bytes[i] == '\r';
        if (!end)
            continue;
        QStringDecoder decode(QStringDecoder::Utf8);
        const QString ignored = decode(QByteArrayView(bytes).sliced(start, i - start));
        if (decode.hasError()) {
            t.errors << Error{line, msg::batch::notUtf8};
            bad.insert(line);
        }
        if (i < bytes.size() && bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        ++line;
        start = i + 1;
    }
    return bad;
}

} // namespace

Table parse(const QByteArray& utf8) {
    Table t;
    // A record on a line that is not UTF-8 has been told about already.
    const QSet<int> badLines = findBadLines(utf8, t);
    QString text = QString::fromUtf8(utf8);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    int line = 1;
    Record record{line, {}};
    QString field;
    bool quoted = false, wasQuoted = false, any = false, broken = false;
    // One line end, CRLF taken as one; i is at its first character.
    auto passLineEnd = [&](qsizetype& i) {
        if (text.at(i) == QLatin1Char('\r') && i + 1 < text.size() &&
            text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        ++line;
    };
    auto endField = [&] {
        record.fields << field;
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        for (int l = record.line; l < line && !badLines.isEmpty(); ++l)
            broken = broken || badLines.contains(l);
        if (any && !broken)
            t.records << record;
        record = Record{line, {}};
        any = broken = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (broken) {
            // The rest of a record with a fault is skipped to its line's end.
            if (lineEnd(c)) {
                passLineEnd(i);
                endRecord();
            }
            continue;
        }
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else if (lineEnd(c)) {
                const qsizetype from = i;
                passLineEnd(i);
                field += text.sliced(from, i - from + 1);
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (!field.isEmpty() || wasQuoted) {
                t.errors << Error{line, msg::batch::strayQuote};
                broken = true;
                continue;
            }
            quoted = wasQuoted = any = true;
        } else if (c == QLatin1Char(',')) {
            endField();
            any = true;
        } else if (lineEnd(c)) {
            passLineEnd(i);
            endRecord();
        } else if (wasQuoted) {
            t.errors << Error{line, msg::batch::strayQuote};
            broken = true;
        } else {
            field += c;
            any = true;
        }
    }
    if (quoted) {
        t.errors << Error{record.line, msg::batch::openQuote};
        broken = true;
    }
    ++line; // as if a line end closed the last record
    endRecord();
    std::stable_sort(t.errors.begin(), t.errors.end(),
                     [](const Error& a, const Error& b) { return a.line < b.line; });
    return t;
}

} // namespace csv
