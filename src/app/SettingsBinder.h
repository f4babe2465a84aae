#pragma once

#include "app/ControlTables.h"
#include "app/FieldHooks.h"
#include "editor/EditOutcome.h"
#include "editor/SerialOutputRules.h"

#include <QHash>
#include <QObject>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;
class UserSeam;
namespace settings {
class EditSession;
struct Instance;
} // namespace settings

// Binds the window's controls to the editing session. Each control is mapped once, by its
// objectName, to the setting it shows; every box, list pick and edit then goes through
// settings::apply (or applyEdit) as `ledsign set` and batch do, and the controls show what the
// session holds. The function-bit groups' edits are held in the session as typed and collected
// when the product collects them: on a capcode switch, before Save, Write and Verify, and when
// a rule shows the page again.
class SettingsBinder : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        // Runs a rule so that an error escaping it is shown and the window goes on.
        FieldHooks::Guard guard;
        // The serial output page's enables and its UART panel follow the session's boxes.
        std::function<void(const serialrules::SerialPageEnables&)> pageChanged;
        // A field of the held record was typed or its box clicked.
        std::function<void()> recordTyped;
        // The mouse moved over the bare surface: the edit under way ends.
        std::function<void()> surfaceMoved;
    };

    // surface holds every control; focusSink is where Enter sends the focus.
    SettingsBinder(settings::EditSession& session, UserSeam& seam, QWidget* surface,
                   const ControlTables& tables, QLineEdit* focusSink, Hooks hooks, QObject* parent);

    // Sets every box, list and edit that shows a setting from the session, running no rule,
    // and the labels and enables that follow them. The function-bit groups show the held
    // record only when asked.
    enum class ShowRecord { Keep, Selected };
    void show(ShowRecord record);
    // The refresh from the image, then everything shown.
    void refresh();
    // The parts of the refresh that the rules ask for after their own edits.
    void showCapcodes();
    void showSynthesizer();
    void showBaudPolarity();
    void showSerialFeatures();
    // Fills the function-bit groups with capcode c's record from the image.
    void showCapcodeRecord(int c);
    // Copies the held header, trailer, time-out and FC edits into capcode c's record. A pair
    // that is not hexadecimal throws ConversionError (pairs before it stay stored).
    void collectCapcodeRecord(int c);
    // The capcode selector's pick: the held record collected, then capcode c shown.
    void selectCapcode(int c);
    // The refresh's pre-scaler rule for the list's item: nothing typed is pending.
    void prescalerRefresh();

    // True while the rules of a key run: the edit under way is not finished yet.
    bool typing() const { return fieldHooks_->typing(); }
    // The setting a control shows, or null.
    const settings::Instance* settingOf(const QObject* control) const;

  private:
    void connectBoxes();
    void connectLists();
    void connectEdits();
    void connectCapcodeEdit(QLineEdit* edit, const settings::Instance& setting);
    void connectRecord();
    void pick(QComboBox* list, int item);
    void leave(QLineEdit* edit, const settings::Instance& setting);
    // Carries out an EditOutcome in its order: the message, the edit's text, the record's
    // collect error or the page shown again, then the focus back into a refused field.
    void settle(QLineEdit* field, const EditOutcome& outcome);
    void showLabels();
    void showHeldRecord();
    void holdRecord();

    settings::EditSession& session_;
    UserSeam& seam_;
    QWidget* surface_;
    const ControlTables& tables_;
    Hooks hooks_;
    FieldHooks* fieldHooks_;
    // Every control that shows a setting, mapped once by its objectName: its row, and the key
    // under which the session holds a box (a family member's own).
    QHash<const QObject*, const settings::Instance*> settings_;
    QHash<const QObject*, QString> boxKeys_;
    QComboBox* capcodeSelector_;
    QComboBox* preScalerList_;
    QLineEdit* frequencyEdit_;
    QLabel* pllRLabel_;
    QLabel* pllNLabel_;
    QLabel* multiplierLabel_;
    QLabel* channelLabel_;
    QLabel* preScalerLabel_;
    // The capcode each capcode edit held when it got the focus: a refused text puts it back.
    std::array<quint32, layout::kCapcodeCount> capcodeOnEntry_{};
    bool showingRecord_ = false;
};
