// The editor rules of the edits and lists, one row each: control, event, rule. A row hands
// the control's text or item to its rule and carries out what the rule answers; the rules
// themselves live in editor/ and are shared with `ledsign set`.
#include "app/FieldHooks.h"
#include "app/MainWindow.h"
#include "app/PairMaskEdit.h"
#include "editor/CapcodeRules.h"
#include "editor/FeatureRules.h"
#include "editor/FrequencyRules.h"
#include "editor/KeyFilters.h"
#include "editor/OutputRules.h"
#include "editor/PagingRules.h"
#include "editor/PasswordRules.h"
#include "editor/PeriodRules.h"
#include "editor/SerialOutputRules.h"
#include "settings/SettingTable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

using namespace layout;

namespace {
// Leaving an edit untouched (it was emptied on entry) stores nothing; the text the rule reads
// is then empty.
QString typedText(QLineEdit* e) {
    return e->isModified() ? e->text() : QString();
}
} // namespace

void TfrmAir::pickRule(QComboBox* list, int item) {
    const settings::Instance* s = settings::findControl(list->objectName());
    const RuleOutcome o = settings::apply(session_, *s, settings::Input{item, {}, false});
    // Only the band refuses (its default frequency): the frequency is then typed again.
    hooks_->settle(edtFreq, o, [this] { showControls(ShowRecord::Keep); });
}

void TfrmAir::connectEditorRules() {
    hooks_ = new FieldHooks(
        *seam_, edtNull, [this](const std::function<void()>& rule) { guard(rule); }, this);
    FieldHooks& h = *hooks_;
    using E = FieldHooks::Event;

    // Every list a setting row names runs its row's rule on a pick, as `ledsign set` does:
    // cboDftClick, cboBaudClick, cboPolarityClick, cboFunClick, ComboBox2..5Click, cboLngClick.
    // cboScaler's pick keeps what was typed into the function-bit groups (below).
    for (QComboBox* list : centralWidget()->findChildren<QComboBox*>())
        if (const settings::Instance* s = settings::findControl(list->objectName());
            s && s->row->kind == settings::Kind::List && list != cboScaler)
            h.add(list, E::Pick, [this, list](int item) { pickRule(list, item); });

    // Frequency: edtFreqEnter, edtFreqKeyPress, edtFreqExit.
    h.add(edtFreq, E::Enter, FieldHooks::emptied(edtFreq));
    h.add(edtFreq, E::KeyPress, freqrules::frequencyKey);
    h.add(edtFreq, E::Exit, [this] {
        hooks_->settle(edtFreq, freqrules::commitFrequency(image_, tuning_, typedText(edtFreq)),
                       [this] { ShowSynthesizer(); });
    });

    // Capcodes: edtAddrEnter, edtAddrKeyPress, Edit1KeyUp, edtAddrExit (the ON boxes are
    // check box rules, connected with the others).
    // Every prefix typed is stored as it is typed; a text that is refused puts back the
    // capcode the field held when it got the focus, so no prefix of it stays behind.
    for (QLineEdit* e : tables_.capcodeEdits) {
        const int c = tagOf(e);
        auto refused = [this, e, c](const RuleOutcome& o) {
            hooks_->settle(e, o, [this, c] {
                image_.setCapcode(c, capcodeOnEntry_[c]);
                ShowCapcodes();
            });
        };
        h.add(e, E::Enter, [this, c] { capcodeOnEntry_[c] = image_.capcode(c); });
        h.add(e, E::Enter, FieldHooks::emptied(e));
        h.add(e, E::KeyPress, capcoderules::capcodeKey);
        h.add(e, E::KeyUp, [this, e, c, refused] {
            const RuleOutcome o = capcoderules::typeCapcode(image_, c, e->text());
            if (o.refused())
                refused(o);
        });
        // What reached the edit without a key (pasted with the mouse) is stored on leaving.
        h.add(e, E::Exit, [this, e, c, refused] {
            const RuleOutcome o = capcoderules::typeCapcode(image_, c, typedText(e));
            if (o.refused())
                refused(o);
            else
                hooks_->settle(e, o, [this] { ShowCapcodes(); });
        });
    }

    connectSerialRules(h);

    // The focus sink: the mouse over the bare surface ends the edit under way.
    h.watchSurface(centralWidget(), [this] { FormMouseMove(); });
}

// The serial output page, "Features" and "Output Features". Their rules answer an EditOutcome,
// carried out in its order: the message, the edit's text, the record's collect error or the
// page's refresh, then the focus back into a refused field.
void TfrmAir::connectSerialRules(FieldHooks& h) {
    using E = FieldHooks::Event;
    using serialrules::PendingRecord;
    // What the selected capcode's edits hold, kept by every rule that refreshes the page.
    auto pending = [this] { return PendingRecord{selectedCapcode_, screenRecord(tables_)}; };
    auto apply = [this](QLineEdit* field, const EditOutcome& o) {
        auto show = [this, field, o] {
            if (o.text && field)
                field->setText(*o.text);
            if (o.collectError.refused())
                showOutcome(*seam_, o.collectError);
            else if (o.showSerialFeatures)
                ShowSerialFeatures();
        };
        if (field) {
            hooks_->settle(field, o.outcome, show);
        } else {
            showOutcome(*seam_, o.outcome);
            show();
        }
    };

    // edtMDlyEnter, edtMDlyExit
    h.add(edtMDly, E::Enter, FieldHooks::emptied(edtMDly));
    h.add(edtMDly, E::KeyPress, capcoderules::capcodeKey); // Enter ends the edit
    h.add(edtMDly, E::Exit, [this, apply, pending] {
        apply(edtMDly, serialrules::msgTimeoutDelayExit(image_, typedText(edtMDly), pending()));
    });
    // Edit7Enter, Edit7KeyPress, Edit7Exit
    h.add(Edit7, E::Enter, FieldHooks::emptied(Edit7));
    h.add(Edit7, E::KeyPress, keyfilter::endCodeKey);
    h.add(Edit7, E::Exit,
          [this, apply] { apply(Edit7, serialrules::endCodeExit(image_, Edit7->text())); });
    // edtHeader0KeyPress: every masked edit of the function-bit groups.
    for (const auto* table :
         {&tables_.headerEdits, &tables_.trailerEdits, &tables_.timeoutEdits, &tables_.fcEdits})
        for (PairMaskEdit* e : *table)
            h.add(e, E::KeyPress, keyfilter::hexMaskKey);

    // Edit9Exit, Edit10Exit: the function command passwords.
    for (QLineEdit* edit : {Edit9, Edit10}) {
        const int which = edit == Edit9 ? 1 : 2;
        h.add(edit, E::KeyPress, capcoderules::capcodeKey);
        h.add(edit, E::Exit, [this, apply, edit, which] {
            apply(edit, passwordrules::fcPasswordExit(image_, which, edit->text()));
        });
    }
    // cboScalerClick, as the user picks a unit; lblScaler follows.
    h.add(cboScaler, E::Pick, [this, apply, pending](int item) {
        session_.setItem(settings::stateKey(cboScaler->objectName()), item);
        const EditOutcome o = periodrules::prescalerPick(image_, periodScale_, item, pending());
        lblScaler->setText(outputrules::prescalerMaximum(periodScale_));
        apply(nullptr, o);
    });
    // edtPlsPer0Enter, edtPlsPer0KeyPress, edtPlsPer0Exit
    for (QLineEdit* e : tables_.periodEdits) {
        h.add(e, E::Enter, FieldHooks::emptied(e));
        h.add(e, E::KeyPress, freqrules::frequencyKey);
        h.add(e, E::Exit, [this, apply, pending, e, out = tagOf(e)] {
            apply(e, periodrules::periodExit(image_, periodScale_, out, typedText(e), pending()));
        });
    }

    // edtSLCExit (Tag 0) and edtORC (Tag 1)
    for (QLineEdit* e : {edtSLC, edtORC}) {
        h.add(e, E::Enter, FieldHooks::emptied(e));
        h.add(e, E::KeyPress, capcoderules::capcodeKey);
        h.add(e, E::Exit, [this, apply, pending, e] {
            apply(e, featurerules::byteSettingExit(image_, tagOf(e), typedText(e), pending()));
        });
    }
    // edtPasswordExit: "Air Prm. PW" (Tag 0) and "Read Password" (Tag 1)
    for (QLineEdit* e : {edtPassword, edtReadPass}) {
        h.add(e, E::Enter, FieldHooks::emptied(e));
        h.add(e, E::KeyPress, freqrules::frequencyKey);
        h.add(e, E::Exit, [this, apply, e] {
            apply(e, passwordrules::accessPasswordExit(image_, tagOf(e), e->text()));
        });
    }
}
