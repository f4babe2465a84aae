#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class Exchange;
class OperationHost;
class ParamImage;
class ReadKeeper;
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

    // Where every image read from the sign is kept first; none keeps nothing.
    void setKeeper(ReadKeeper* keeper) { keeper_ = keeper; }
    // The lines that say how the sign's image differs from the window's, shown after a
    // Verify difference; none shows nothing more.
    using DifferenceLister =
        std::function<QStringList(const QByteArray& sign, const QByteArray& window)>;
    void setDifferenceLister(DifferenceLister lister) { lister_ = std::move(lister); }

    struct WriteChoices {
        bool backUp = true;         // keep the sign's settings before anything is erased
        bool skipUnchanged = false; // write nothing when both banks already hold the image
        // Asked once the first bank is written and read back: true ends the Write there, with
        // one bank holding the new image and the other the old, both valid.
        std::function<bool()> stopBetweenBanks;
        // Asked once the sign was read (and backed up), before the first erase: true ends
        // the Write there with the sign as it was.
        std::function<bool()> stopBeforeErase;
    };

    // Fetches the parameter bank from the sign into the image; bank 0, or bank 1 when bank 0
    // is damaged (then bank 0 is repaired from it). True when the image took the data.
    bool read();
    // Stores the image in both banks of the sign, reading each back before the other.
    bool write() { return write(WriteChoices{}); }
    bool write(const WriteChoices& choices);
    // Compares the sign's bank 0 with the image.
    bool verify();
    // Reads the sign's settings as Read does (kept as any read), without taking them: a pager
    // receiver's data merged into the default image. Nothing when they could not be had.
    std::optional<QByteArray> readForComparison();
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
    SettledBlock readWholeBank(int bank);
    std::optional<QString> keep(const QString& operation, const QByteArray& image, int validBanks,
                                const QString& firmware = {});
    std::optional<QByteArray> fetchImage(const QString& operation);
    std::optional<QByteArray> fallBackOnBank1(const QByteArray& damagedBank0, int* valid);
    bool startBankOperation();
    bool finishBankOperation(const QString& success, const QString& failure);
    bool readBody();
    bool writeBody(const WriteChoices& choices);
    bool verifyBody();
    bool checkFirmwareBody();

    Exchange& ex_;
    ParamImage& image_;
    LinkState& link_;
    OperationHost& host_;
    ReadKeeper* keeper_ = nullptr;
    DifferenceLister lister_;
};
