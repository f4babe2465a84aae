#pragma once

#include <QByteArray>
#include <QString>

// What was read from a sign, to be kept before anything is done with it.
struct SignReading {
    QString port;
    QString operation;  // "read", "write", "compare"
    QString firmware;   // the identification text, empty when it was not read
    int validBanks = 0; // bank mask: bit 0 bank 0, bit 1 bank 1 passed the whole-bank test
    QByteArray image;   // the 4096 image bytes (bytes 0-4095 of the bank)
};

// Keeps what the operations read from a sign (the backups). The protocol knows nothing of
// where or how.
class ReadKeeper {
  public:
    virtual ~ReadKeeper() = default;
    // False when it could not be kept; *reason then says why.
    virtual bool keep(const SignReading& reading, QString* reason) = 0;
};
