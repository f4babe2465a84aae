#pragma once

#include "editor/FrequencyRules.h"
#include "editor/SerialOutputRules.h"
#include "image/ParamImage.h"
#include "settings/SettingTable.h"

#include <QHash>
#include <QString>
#include <optional>

// The image being edited, the program state beside it, and what the window's boxes and lists
// hold. What a control shows can depend on what it showed before: a box's rule runs only when
// its state changes, and three lists keep their item when the image holds no code of theirs.
// So the window and the command line take an image through the same session and end with the
// same bytes. A session is a value: copying it keeps everything an undo needs.
namespace settings {

class EditSession {
  public:
    // As a window just started: its controls hold what the default image shows.
    EditSession();

    // Takes an image as File > Open and Read do: the image is replaced, then shown once.
    void take(const ParamImage& image);
    // Shows the image on the controls: every box and list follows it, and the rule of every box
    // whose state changes runs, as it would in the window.
    void refresh();
    // The parts of the refresh that the rules ask for after their own edits.
    void showCapcodes();
    void showSynthesizer();
    void showBaudPolarity();
    void showSerialFeatures();
    // The pre-scaler rule for the list's item, as the refresh runs it (nothing pending).
    void prescalerRule();

    ParamImage& image() { return image_; }
    const ParamImage& image() const { return image_; }
    freqrules::Tuning& tuning() { return tuning_; }
    const freqrules::Tuning& tuning() const { return tuning_; }
    double& periodScale() { return periodScale_; }
    double periodScale() const { return periodScale_; }
    int& selectedCapcode() { return selectedCapcode_; }
    int selectedCapcode() const { return selectedCapcode_; }

    // Boxes and lists by the path of their setting ("serialOutput.rtsEnable"); a box of a
    // family by its member's key ("outputFeatures.powerUpOutputs.3").
    bool box(const QString& key) const { return boxes_.value(key, false); }
    int item(const QString& key) const { return items_.value(key, 0); }
    // A box set: its rule runs when, and only when, its state changes.
    void setBox(const QString& key, bool on);
    // A list's item set from code or picked (its rule is the caller's).
    void setItem(const QString& key, int item) { items_.insert(key, item); }

    // What capcode c's function-bit groups show of the image: the pairs as the masked edits
    // hold them (at most 30), the boxes as checked.
    serialrules::CapcodeRecordTexts shownRecord(int c) const;
    // What Save, Write and Verify do first: the selected capcode's groups are collected into the
    // image, so a record longer than its edits can show is saved as the edits show it. A held
    // record (below) is collected as typed: a pair that does not read throws ConversionError,
    // the pairs before it stay stored.
    void collectRecord();

    // The window's function-bit groups: what they hold of the selected capcode's record, typed
    // but not collected yet. The command line types nothing there and holds none; a window
    // holds one from its first show on. The rules that show the page again collect it first
    // (pendingRecord); showing the page drops what was not collected.
    void holdRecord(const serialrules::CapcodeRecordTexts& texts) { held_ = texts; }
    const std::optional<serialrules::CapcodeRecordTexts>& heldRecord() const { return held_; }
    serialrules::PendingRecord pendingRecord() const;
    // Holds capcode c's record as the image has it (what ShowCapcodeRecord shows).
    void showRecord(int c) { held_ = shownRecord(c); }
    // Choose capcode: the selected record collected, then capcode c selected and shown.
    void selectCapcode(int c);
    // The image as Save would write it, the held record collected; nullopt when it does not
    // collect.
    std::optional<ParamImage> savedImage() const;

    bool operator==(const EditSession& other) const;

  private:
    // Every box and list of the group shown from the image, as its row shows it.
    void showGroup(Group group);

    ParamImage image_;
    freqrules::Tuning tuning_;
    double periodScale_ = 1;
    int selectedCapcode_ = 0;
    QHash<QString, bool> boxes_;
    QHash<QString, int> items_;
    std::optional<serialrules::CapcodeRecordTexts> held_;
};

} // namespace settings
