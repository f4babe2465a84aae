// The editor rules of the edits and lists, one row each: control, event, rule. A row hands
// the control's text or item to its rule and carries out what the rule answers; the rules
// themselves live in editor/ and are shared with `ledsign set`.
//
// Rows so far: the "Frequency" and "Capcode(Decimal Address)" groups. The serial output,
// features and output features edits (delays, periods, passwords, end code, language) get
// their rows here as well; until then they keep the text they were shown.
#include "app/FieldHooks.h"
#include "app/MainWindow.h"
#include "editor/CapcodeRules.h"
#include "editor/FrequencyRules.h"
#include "editor/PagingRules.h"

#include <QComboBox>
#include <QLineEdit>

using namespace layout;

void TfrmAir::connectEditorRules() {
    hooks_ = new FieldHooks(
        *seam_, edtNull, [this](const std::function<void()>& rule) { guard(rule); }, this);
    FieldHooks& h = *hooks_;
    using E = FieldHooks::Event;
    // Leaving an edit untouched (it was emptied on entry) stores nothing; the text the rule
    // reads is then empty.
    auto typed = [](QLineEdit* e) { return e->isModified() ? e->text() : QString(); };

    // Frequency: cboDftClick, edtFreqEnter, edtFreqKeyPress, edtFreqExit, cboBaudClick,
    // cboPolarityClick.
    h.add(cboDft, E::Pick, [this](int item) {
        hooks_->settle(edtFreq, freqrules::chooseBand(image_, tuning_, item),
                       [this] { ShowSynthesizer(); });
    });
    h.add(edtFreq, E::Enter, FieldHooks::emptied(edtFreq));
    h.add(edtFreq, E::KeyPress, freqrules::frequencyKey);
    h.add(edtFreq, E::Exit, [this, typed] {
        hooks_->settle(edtFreq, freqrules::commitFrequency(image_, tuning_, typed(edtFreq)),
                       [this] { ShowSynthesizer(); });
    });
    h.add(cboBaud, E::Pick, [this](int item) { pagingrules::chooseBaud(image_, item); });
    h.add(cboPolarity, E::Pick, [this](int item) { pagingrules::choosePolarity(image_, item); });

    // Capcodes: edtAddrEnter, edtAddrKeyPress, Edit1KeyUp, edtAddrExit (the ON boxes are
    // check box rules, connected with the others).
    for (QLineEdit* e : tables_.capcodeEdits) {
        const int c = tagOf(e);
        h.add(e, E::Enter, FieldHooks::emptied(e));
        h.add(e, E::KeyPress, capcoderules::capcodeKey);
        h.add(e, E::KeyUp, [this, e, c] {
            const RuleOutcome o = capcoderules::typeCapcode(image_, c, e->text());
            if (o.refused())
                hooks_->settle(e, o, [this] { ShowCapcodes(); });
        });
        // What reached the edit without a key (pasted with the mouse) is stored on leaving.
        h.add(e, E::Exit, [this, e, c, typed] {
            hooks_->settle(e, capcoderules::typeCapcode(image_, c, typed(e)),
                           [this] { ShowCapcodes(); });
        });
    }
    // cboFunClick
    for (QComboBox* list : tables_.messageTypeLists)
        h.add(list, E::Pick,
              [this, t = tagOf(list)](int item) { capcoderules::setMessageType(image_, t, item); });

    // The focus sink: the mouse over the bare surface ends the edit under way.
    h.watchSurface(centralWidget(), [this] { FormMouseMove(); });
}
