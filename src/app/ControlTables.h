#pragma once

#include "editor/SerialOutputRules.h"
#include "image/ImageLayout.h"

#include <QString>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QObject;
class QWidget;
class PairMaskEdit;

// Each control of the main window carries a Tag, its index among like controls (capcode,
// function bit, output, option). It is kept as the dynamic property "Tag".
void setTag(QObject* control, int tag);
int tagOf(const QObject* control);

// The tables of like controls that the rules address by number. Built once after the
// window's controls exist: a control belongs to a table when its objectName begins with the
// table's stem, and sits at the index of its Tag.
struct ControlTables {
    std::array<QLineEdit*, layout::kCapcodeCount> capcodeEdits{}; // Edit1..Edit6
    std::array<QCheckBox*, layout::kCapcodeCount> capcodeBoxes{}; // CheckBox1..CheckBox6
    std::array<QComboBox*, std::size_t(layout::kCapcodeCount) * layout::kFunctionBits>
        messageTypeLists{};
    std::array<QCheckBox*, layout::kFunctionBits> intFunCmdBoxes{};    // chkOpCmd
    std::array<QCheckBox*, 6> serialOptionBoxes{};                     // chkCtl
    std::array<QCheckBox*, layout::kOutputCount> powerUpOutputBoxes{}; // chkOutput
    std::array<PairMaskEdit*, layout::kFunctionBits> headerEdits{};
    std::array<PairMaskEdit*, layout::kFunctionBits> trailerEdits{};
    std::array<PairMaskEdit*, layout::kFunctionBits> timeoutEdits{};
    std::array<PairMaskEdit*, layout::kFunctionBits> fcEdits{};
    std::array<QLineEdit*, layout::kOutputCount> periodEdits{}; // edtPlsPer
};

// Throws std::logic_error when a table is left with a hole, a Tag is out of range or used
// twice, or a control is of the wrong kind: a broken layout must not start.
ControlTables buildControlTables(QWidget* form);

// What the function-bit groups hold on the screen, as the texts are displayed (blanks
// included: a pair is found by its position).
serialrules::CapcodeRecordTexts screenRecord(const ControlTables& tables);
