#include "batch/CsvReader.h"

#include "core/Messages.h"

#include <QStringDecoder>

namespace csv {

Table parse(const QByteArray& utf8) {
    Table t;
    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(utf8);
    if (decode.hasError()) {
        t.error = msg::batch::notUtf8;
        t.errorLine = 1;
        return t;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    int line = 1;
    Record record{line, {}};
    QString field;
    bool quoted = false, wasQuoted = false, any = false;
    auto endField = [&] {
        record.fields << field;
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        if (any)
            t.records << record;
        record = Record{line, {}};
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (!field.isEmpty() || wasQuoted) {
                t.error = msg::batch::strayQuote;
                t.errorLine = line;
                return t;
            }
            quoted = wasQuoted = any = true;
        } else if (c == QLatin1Char(',')) {
            endField();
            any = true;
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                   text.at(i + 1) == QLatin1Char('\n')) {
            continue; // the LF ends the record
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRecord();
        } else if (wasQuoted) {
            t.error = msg::batch::strayQuote;
            t.errorLine = line;
            return t;
        } else {
            field += c;
            any = true;
        }
    }
    if (quoted) {
        t.error = msg::batch::openQuote;
        t.errorLine = record.line;
        return t;
    }
    endRecord();
    return t;
}

} // namespace csv
