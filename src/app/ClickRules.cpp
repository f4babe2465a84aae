// The rules of the window's check boxes and of the capcode selector. A check box rule runs
// whenever the box's state changes, by a click or from code.
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
    // Every box a setting row names runs its row's rule through the session when its state
    // changes, as `ledsign set` does. The "Int. Fun. Cmd." boxes have no rule: they are
    // collected with their capcode.
    for (QCheckBox* box : centralWidget()->findChildren<QCheckBox*>()) {
        const settings::Instance* s = settings::findControl(box->objectName());
        if (!s || s->row->kind == settings::Kind::RecordBox)
            continue;
        connect(box, &QCheckBox::toggled, this,
                [this, box, key = settings::stateKey(box->objectName())] {
                    guard([this, box, key] {
                        session_.setBox(key, box->isChecked());
                        showControls(ShowRecord::Keep);
                    });
                });
    }

    connect(ComboBox1, &QComboBox::activated, this,
            [this] { guard([this] { ComboBox1Click(); }); });
    connect(stcCode, &PageTab::clicked, this, [this] { guard([this] { stcCodeClick(); }); });
    connect(stcFeatures, &PageTab::clicked, this,
            [this] { guard([this] { stcFeaturesClick(); }); });
    connect(btnLink0E, &QPushButton::clicked, this,
            [this] { guard([this] { btnLink0EClick(); }); });
}

void TfrmAir::updateFunCmdControls() {
    const bool on = serialrules::funCmdControlsEnabled(
        session_.box(QStringLiteral("serialOutput.on")),
        session_.box(QStringLiteral("outputFeatures.funCmdEnable")));
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

// The refresh's pre-scaler rule: the image is replaced, nothing typed is pending.
void TfrmAir::cboScalerClick() {
    session_.setItem(settings::stateKey(cboScaler->objectName()), cboScaler->currentIndex());
    session_.prescalerRule();
    showControls(ShowRecord::Selected);
}
