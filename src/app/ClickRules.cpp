// The rules of the window's check boxes and of the lists that the image refresh relies on.
// A check box rule runs whenever the box's state changes, by a click or from code; a list
// rule runs only when the user picks an item.
#include "app/MainWindow.h"
#include "app/PageTab.h"
#include "app/PairMaskEdit.h"
#include "editor/SerialOutputRules.h"
#include "settings/SettingTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace layout;

void TfrmAir::connectRules() {
    // The session learns every item picked before the list's rule runs.
    for (QComboBox* list : centralWidget()->findChildren<QComboBox*>())
        if (const settings::Instance* s = settings::findControl(list->objectName());
            s && s->row->kind == settings::Kind::List)
            connect(list, &QComboBox::activated, this,
                    [this, list](int item) { session_.setItem(list->objectName(), item); });

    auto onToggle = [this](QCheckBox* box, auto rule) {
        connect(box, &QCheckBox::toggled, this, [this, rule] { guard(rule); });
    };
    auto onPick = [this](QComboBox* list, auto rule) {
        connect(list, &QComboBox::activated, this, [this, rule] { guard(rule); });
    };

    for (QCheckBox* b : tables_.capcodeBoxes)
        onToggle(b, [this, t = tagOf(b)] { CheckBox1Click(t); });
    onToggle(CheckBox7, [this] { CheckBox7Click(); });
    for (QCheckBox* b : tables_.serialOptionBoxes)
        onToggle(b, [this, t = tagOf(b)] { chkCtl0Click(t); });
    onToggle(CheckBox8, [this] { CheckBox8Click(); });
    onToggle(CheckBox9, [this] { CheckBox9Click(); });
    onToggle(chkFunPass, [this] { chkFunPassClick(); });
    for (QCheckBox* b : tables_.powerUpOutputBoxes)
        onToggle(b, [this, t = tagOf(b)] { chkOutput0Click(t); });
    onToggle(chkPower, [this] { chkPowerClick(); });
    onToggle(chkROE, [this] { chkROEClick(); });
    onToggle(chkORC, [this] { chkORCClick(); });
    // The "Int. Fun. Cmd." boxes have no rule: they are collected with their capcode.

    // cboScaler's pick is an editor rule (EditorHooks.cpp): it keeps what was typed.
    onPick(ComboBox1, [this] { ComboBox1Click(); });
    onPick(ComboBox5, [this] { ComboBox5Click(); });
    onPick(ComboBox2, [this] { ComboBox2Click(); });
    onPick(ComboBox3, [this] { ComboBox3Click(tagOf(ComboBox3)); });
    onPick(ComboBox4, [this] { ComboBox3Click(tagOf(ComboBox4)); });

    connect(stcCode, &PageTab::clicked, this, [this] { guard([this] { stcCodeClick(); }); });
    connect(stcFeatures, &PageTab::clicked, this,
            [this] { guard([this] { stcFeaturesClick(); }); });
    connect(btnLink0E, &QPushButton::clicked, this,
            [this] { guard([this] { btnLink0EClick(); }); });
}

// --- Check boxes ----------------------------------------------------------------------------
// Every box's rule is its setting's, run through the session so it knows the box's state; the
// window then shows what the rule changed (the UART speed list, the serial page's enables).

void TfrmAir::boxRule(QCheckBox* box) {
    const QString name = box->objectName();
    session_.noteBox(name, box->isChecked());
    settings::runBoxRule(session_, name, box->isChecked());
    showControls(ShowRecord::Keep);
}

void TfrmAir::CheckBox1Click(int tag) {
    boxRule(tables_.capcodeBoxes[tag]);
}
void TfrmAir::CheckBox7Click() {
    boxRule(CheckBox7);
}
void TfrmAir::chkCtl0Click(int tag) {
    boxRule(tables_.serialOptionBoxes[tag]);
}
void TfrmAir::CheckBox8Click() {
    boxRule(CheckBox8);
}
void TfrmAir::CheckBox9Click() {
    boxRule(CheckBox9);
}
void TfrmAir::chkFunPassClick() {
    boxRule(chkFunPass);
}
void TfrmAir::chkOutput0Click(int tag) {
    boxRule(tables_.powerUpOutputBoxes[tag]);
}
void TfrmAir::chkPowerClick() {
    boxRule(chkPower);
}
void TfrmAir::chkROEClick() {
    boxRule(chkROE);
}
void TfrmAir::chkORCClick() {
    boxRule(chkORC);
}

void TfrmAir::updateFunCmdControls() {
    const bool on = serialrules::funCmdControlsEnabled(
        tables_.serialOptionBoxes[serialrules::kSerialOutputOnTag]->isChecked(),
        tables_.serialOptionBoxes[1]->isChecked());
    for (int f = 0; f < kFunctionBits; ++f) {
        tables_.intFunCmdBoxes[f]->setEnabled(on);
        tables_.fcEdits[f]->setEnabled(on);
    }
}

void TfrmAir::ComboBox1Click() {
    const int next = ComboBox1->currentIndex();
    if (next < 0)
        return;
    collectCapcodeRecord(selectedCapcode_);
    selectedCapcode_ = next;
    ShowCapcodeRecord(selectedCapcode_);
}

void TfrmAir::ComboBox5Click() {
    serialrules::setUartSpeed(image_, ComboBox5->currentIndex());
}

void TfrmAir::ComboBox2Click() {
    serialrules::setUartParity(image_, ComboBox2->currentIndex());
}

void TfrmAir::ComboBox3Click(int tag) {
    QComboBox* list = tag == serialrules::kStopBitsTag ? ComboBox3 : ComboBox4;
    bool ok = false;
    const int value = list->currentText().toInt(&ok);
    if (ok)
        serialrules::setUartBits(image_, tag, value);
}

// The refresh's pre-scaler rule: the image is replaced, nothing typed is pending.
void TfrmAir::cboScalerClick() {
    session_.setItem(cboScaler->objectName(), cboScaler->currentIndex());
    session_.prescalerRule();
    showControls(ShowRecord::Selected);
}
