#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated values as RFC 4180 writes them (quoted fields may hold commas, doubled
// quotes and line breaks; CRLF or LF ends a record), in UTF-8 with or without a byte-order
// mark. Blank lines are skipped.
namespace csv {

struct Record {
    int line = 0; // where the record starts, from 1
    QStringList fields;
};

struct Table {
    QList<Record> records;
    QString error; // empty when the whole text was read
    int errorLine = 0;
};

Table parse(const QByteArray& utf8);

} // namespace csv
