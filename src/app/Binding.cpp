// Showing the session on the controls, and collecting the per-capcode serial output edits,
// which have no rule of their own, back into it. The refresh itself, with the rules of the
// boxes whose state it changes, runs in the session; the window only shows what it left.
#include "app/MainWindow.h"
#include "app/PairMaskEdit.h"
#include "editor/Flags.h"
#include "editor/OutputRules.h"
#include "editor/SerialOutputRules.h"
#include "editor/ShownValues.h"
#include "settings/SettingTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

using namespace layout;

void TfrmAir::refreshFromImage() {
    session_.refresh();
    showControls(ShowRecord::Selected);
}

void TfrmAir::ShowCapcodes() {
    session_.showCapcodes();
    showControls(ShowRecord::Keep);
}

void TfrmAir::ShowSynthesizer() {
    session_.showSynthesizer();
    showControls(ShowRecord::Keep);
}

void TfrmAir::ShowBaudPolarity() {
    session_.showBaudPolarity();
    showControls(ShowRecord::Keep);
}

void TfrmAir::ShowSerialFeatures() {
    session_.showSerialFeatures();
    showControls(ShowRecord::Selected);
}

// Every control a setting row names, found by its objectName. Boxes are set with their rules
// held back: the session ran them already.
void TfrmAir::showControls(ShowRecord record) {
    for (QCheckBox* box : centralWidget()->findChildren<QCheckBox*>()) {
        const settings::Instance* s = settings::findControl(box->objectName());
        if (!s || s->row->kind == settings::Kind::RecordBox)
            continue;
        const QSignalBlocker hold(box);
        box->setChecked(session_.box(settings::stateKey(box->objectName())));
    }
    for (QComboBox* list : centralWidget()->findChildren<QComboBox*>())
        if (const settings::Instance* s = settings::findControl(list->objectName());
            s && s->row->kind == settings::Kind::List)
            list->setCurrentIndex(session_.item(s->path));
    for (QLineEdit* edit : centralWidget()->findChildren<QLineEdit*>()) {
        const settings::Instance* s = settings::findControl(edit->objectName());
        if (!s || (s->row->kind != settings::Kind::Number && s->row->kind != settings::Kind::Text))
            continue;
        // A value the image cannot give (no frequency without a channel step) leaves the text.
        const QJsonValue v = s->read(session_).json;
        if (v.isString())
            edit->setText(v.toString());
        else if (v.isDouble())
            edit->setText(QString::number(v.toInteger()));
    }

    const shown::Synthesizer s = shown::synthesizer(image_, tuning_.bandMultiplier);
    lblPLLR->setText(s.pllR);
    lblPLLN->setText(s.pllN);
    lblMULT->setText(s.mult);
    lblCHANNEL->setText(s.channel);
    lblScaler->setText(outputrules::prescalerMaximum(periodScale_));

    // The function-bit groups show the selected capcode, dropping what was typed into them
    // only where the refresh does.
    if (record == ShowRecord::Selected) {
        ComboBox1->setCurrentIndex(selectedCapcode_);
        ShowCapcodeRecord(selectedCapcode_);
    }

    setSerialPageEnabled(session_.box(QStringLiteral("serialOutput.on")));
    updateFunCmdControls();
    Panel2->setVisible(!session_.box(QStringLiteral("serialOutput.serialLed")));
}

void TfrmAir::ShowCapcodeRecord(int c) {
    for (int f = 0; f < kFunctionBits; ++f) {
        tables_.headerEdits[f]->setMaskedText(shown::recordPairs(image_, Record::Header, c, f));
        tables_.trailerEdits[f]->setMaskedText(shown::recordPairs(image_, Record::Trailer, c, f));
        tables_.timeoutEdits[f]->setMaskedText(shown::recordPairs(image_, Record::Timeout, c, f));
        tables_.fcEdits[f]->setMaskedText(shown::funCmdPairs(image_, c, f));
        tables_.intFunCmdBoxes[f]->setChecked(flags::isOn(image_, flags::intFunCmd(c, f)));
    }
}

void TfrmAir::collectCapcodeRecord(int c) {
    serialrules::collectCapcodeRecord(image_, c, screenRecord(tables_));
}
