#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated values as RFC 4180 writes them (quoted fields may hold commas, doubled
// quotes and line breaks), in UTF-8 with or without a byte-order mark. CR, LF and CRLF each
// end a line; lines are counted as an editor counts them, from 1. Blank lines are skipped.
namespace csv {

struct Record {
    int line = 0; // where the record starts
    QStringList fields;
};

struct Error {
    int line = 0;
    QString text;
};

struct Table {
    QList<Record> records; // the records read whole; one with an error is left out
    QList<Error> errors;   // every fault found, in the order of the file
};

Table parse(const QByteArray& utf8);

} // namespace csv
