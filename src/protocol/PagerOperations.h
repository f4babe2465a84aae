#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class Exchange;
class OperationHost;
class ParamImage;
struct LinkState;
struct OperationEnd;
struct SettledBlock;

// Read, Write and Verify of the "Pager" menu and "Check Firmware": each links to the sign on
// the chosen port, talks in device frames, reports through the exchange's user seam and ends
// with a message. The window and the command line run the same operations, so both show the
// same messages. Each returns true on success and refuses (false, nothing shown) while
// another exchange holds the line.
class PagerOperations {
  public:
    PagerOperations(Exchange& exchange, ParamImage& image, LinkState& link, OperationHost& host);

    // Fetches the parameter bank from the sign into the image; bank 0, or bank 1 when bank 0
    // is damaged (then bank 0 is repaired from it). True when the image took the data.
    bool read();
    // Stores the image in both banks of the sign, reading each back before the other.
    bool write();
    // Compares the sign's bank 0 with the image.
    bool verify();
    // Shows the sign's firmware identification. True when it could be read.
    bool checkFirmware();

  private:
    template <typename Body> bool guarded(Body body);
    // Ends the operation the named way after message; always false, for `return end(...)`.
    bool end(const OperationEnd& how, const QString& message = {});
    bool linkOrReport(bool writeTurnedOff);
    bool confirmUnsureCopy();
    void beforeBankRead();
    SettledBlock readBank0();
    std::optional<bool> bank1TailValid();
    std::optional<QByteArray> fallBackOnBank1(const QByteArray& damagedBank0);
    bool startBankOperation();
    bool finishBankOperation(const QString& success, const QString& failure);
    bool readBody();
    bool writeBody();
    bool verifyBody();
    bool checkFirmwareBody();

    Exchange& ex_;
    ParamImage& image_;
    LinkState& link_;
    OperationHost& host_;
};
