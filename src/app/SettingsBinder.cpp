#include "app/SettingsBinder.h"

#include "app/PairMaskEdit.h"
#include "core/UserSeam.h"
#include "editor/CapcodeRules.h"
#include "editor/FrequencyRules.h"
#include "editor/KeyFilters.h"
#include "editor/OutputRules.h"
#include "editor/ShownValues.h"
#include "settings/EditSession.h"
#include "settings/SettingTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

using namespace layout;
using settings::Kind;

namespace {

// Leaving an edit untouched (it was emptied on entry) stores nothing; the text a number's rule
// reads is then empty. A text's rule reads what the edit shows.
QString typedText(QLineEdit* e, Kind kind) {
    return kind == Kind::Text || e->isModified() ? e->text() : QString();
}

// The characters each edit lets in, and whether it is emptied when it gets the focus (a value
// is typed from scratch): edtFreqKeyPress, edtAddrKeyPress, Edit7KeyPress, ...
struct EditKeys {
    FieldHooks::KeyRule key;
    bool emptied;
};
EditKeys editKeys(const QString& name) {
    auto is = [&name](const char* n) { return name == QLatin1String(n); };
    if (is("edtFreq") || is("edtPassword") || is("edtReadPass") ||
        name.startsWith(QLatin1String("edtPlsPer")))
        return {freqrules::frequencyKey, true};
    if (is("Edit7"))
        return {keyfilter::endCodeKey, true};
    // The function command passwords keep their text on entry.
    return {capcoderules::capcodeKey, !is("Edit9") && !is("Edit10")};
}

template <class T> T* named(QWidget* surface, const char* name) {
    return surface->findChild<T*>(QLatin1String(name));
}

} // namespace

SettingsBinder::SettingsBinder(settings::EditSession& session, UserSeam& seam, QWidget* surface,
                               const ControlTables& tables, QLineEdit* focusSink, Hooks hooks,
                               QObject* parent)
    : QObject(parent), session_(session), seam_(seam), surface_(surface), tables_(tables),
      hooks_(std::move(hooks)), fieldHooks_(new FieldHooks(seam, focusSink, hooks_.guard, this)),
      capcodeSelector_(named<QComboBox>(surface, "ComboBox1")),
      preScalerList_(named<QComboBox>(surface, "cboScaler")),
      frequencyEdit_(named<QLineEdit>(surface, "edtFreq")),
      pllRLabel_(named<QLabel>(surface, "lblPLLR")), pllNLabel_(named<QLabel>(surface, "lblPLLN")),
      multiplierLabel_(named<QLabel>(surface, "lblMULT")),
      channelLabel_(named<QLabel>(surface, "lblCHANNEL")),
      preScalerLabel_(named<QLabel>(surface, "lblScaler")) {
    // objectName to setting, once.
    for (QWidget* w : surface_->findChildren<QWidget*>()) {
        if (const settings::Instance* s = settings::findControl(w->objectName())) {
            settings_.insert(w, s);
            boxKeys_.insert(w, settings::stateKey(w->objectName()));
        }
    }
    // From now on the session holds what the function-bit groups hold.
    session_.holdRecord(screenRecord(tables_));
    connectBoxes();
    connectLists();
    connectEdits();
    connectRecord();
    connect(capcodeSelector_, &QComboBox::activated, this, [this] {
        hooks_.guard([this] {
            if (capcodeSelector_->currentIndex() >= 0)
                selectCapcode(capcodeSelector_->currentIndex());
        });
    });
    // The focus sink: the mouse over the bare surface ends the edit under way.
    fieldHooks_->watchSurface(surface_, [this] { hooks_.surfaceMoved(); });
}

const settings::Instance* SettingsBinder::settingOf(const QObject* control) const {
    return settings_.value(control, nullptr);
}

// --- From the controls to the session ----------------------------------------------------------

void SettingsBinder::connectBoxes() {
    // Every box a setting row names runs its row's rule through the session when its state
    // changes, as `ledsign set` does (a family member's under its own key).
    for (QCheckBox* box : surface_->findChildren<QCheckBox*>()) {
        const settings::Instance* s = settingOf(box);
        if (!s || s->row->kind == Kind::RecordBox)
            continue;
        connect(box, &QCheckBox::toggled, this, [this, box, key = boxKeys_.value(box)] {
            hooks_.guard([this, box, key] {
                session_.setBox(key, box->isChecked());
                show(ShowRecord::Keep);
            });
        });
    }
}

void SettingsBinder::connectLists() {
    // cboDftClick, cboBaudClick, cboPolarityClick, cboFunClick, ComboBox2..5Click, cboLngClick,
    // cboScalerClick: each list's pick runs its row's rule.
    for (QComboBox* list : surface_->findChildren<QComboBox*>())
        if (const settings::Instance* s = settingOf(list); s && s->row->kind == Kind::List)
            fieldHooks_->add(list, FieldHooks::Event::Pick,
                             [this, list](int item) { pick(list, item); });
}

void SettingsBinder::pick(QComboBox* list, int item) {
    const settings::Instance& s = *settingOf(list);
    const EditOutcome o = settings::applyEdit(session_, s, settings::Input{item, {}, false});
    if (s.row->edit) {
        // The pre-scaler keeps what was typed into the function-bit groups; its label follows.
        showLabels();
        settle(nullptr, o);
        return;
    }
    // Only the band refuses (its default frequency): the frequency is then typed again.
    fieldHooks_->settle(frequencyEdit_, o.outcome, [this] { show(ShowRecord::Keep); });
}

void SettingsBinder::connectEdits() {
    using E = FieldHooks::Event;
    for (QLineEdit* e : surface_->findChildren<QLineEdit*>()) {
        const settings::Instance* s = settingOf(e);
        if (!s || (s->row->kind != Kind::Number && s->row->kind != Kind::Text))
            continue;
        const EditKeys keys = editKeys(e->objectName());
        if (s->path.startsWith(QLatin1String("capcodes."))) {
            connectCapcodeEdit(e, *s);
            continue;
        }
        if (keys.emptied)
            fieldHooks_->add(e, E::Enter, FieldHooks::emptied(e));
        fieldHooks_->add(e, E::KeyPress, keys.key);
        fieldHooks_->add(e, E::Exit, [this, e, s] { leave(e, *s); });
    }
}

// edtAddrEnter, edtAddrKeyPress, Edit1KeyUp, edtAddrExit. Every prefix typed is stored as it
// is typed; a text that is refused puts back the capcode the field held when it got the focus,
// so no prefix of it stays behind.
void SettingsBinder::connectCapcodeEdit(QLineEdit* e, const settings::Instance& s) {
    using E = FieldHooks::Event;
    const int c = s.at.a;
    auto type = [this, e, c, &s](const QString& text, bool settleOk) {
        const RuleOutcome o = settings::apply(session_, s, settings::Input{-1, text, false});
        if (o.refused())
            fieldHooks_->settle(e, o, [this, c] {
                session_.image().setCapcode(c, capcodeOnEntry_[c]);
                showCapcodes();
            });
        else if (settleOk)
            fieldHooks_->settle(e, o, [this] { showCapcodes(); });
    };
    fieldHooks_->add(e, E::Enter, [this, c] { capcodeOnEntry_[c] = session_.image().capcode(c); });
    fieldHooks_->add(e, E::Enter, FieldHooks::emptied(e));
    fieldHooks_->add(e, E::KeyPress, editKeys(e->objectName()).key);
    fieldHooks_->add(e, E::KeyUp, [e, type] { type(e->text(), false); });
    // What reached the edit without a key (pasted with the mouse) is stored on leaving.
    fieldHooks_->add(e, E::Exit, [e, type] { type(typedText(e, Kind::Number), true); });
}

void SettingsBinder::leave(QLineEdit* e, const settings::Instance& s) {
    const EditOutcome o =
        settings::applyEdit(session_, s, settings::Input{-1, typedText(e, s.row->kind), false});
    if (s.row->edit)
        settle(e, o);
    else // the frequency: its rule showed the synthesizer in the session
        fieldHooks_->settle(e, o.outcome, [this] { show(ShowRecord::Keep); });
}

void SettingsBinder::settle(QLineEdit* field, const EditOutcome& o) {
    auto showAll = [this, field, o] {
        if (o.text && field)
            field->setText(*o.text);
        if (o.collectError.refused())
            showOutcome(seam_, o.collectError);
        else if (o.showSerialFeatures) // shown in the session by applyEdit already
            show(ShowRecord::Selected);
    };
    if (field) {
        fieldHooks_->settle(field, o.outcome, showAll);
    } else {
        showOutcome(seam_, o.outcome);
        showAll();
    }
}

// The function-bit groups have no rule: what they hold is held in the session as typed.
void SettingsBinder::connectRecord() {
    for (const auto* table :
         {&tables_.headerEdits, &tables_.trailerEdits, &tables_.timeoutEdits, &tables_.fcEdits})
        for (PairMaskEdit* e : *table) {
            fieldHooks_->add(e, FieldHooks::Event::KeyPress, keyfilter::hexMaskKey);
            connect(e, &QLineEdit::textChanged, this, [this] { holdRecord(); });
        }
    for (QCheckBox* b : tables_.intFunCmdBoxes)
        connect(b, &QCheckBox::toggled, this, [this] { holdRecord(); });
}

void SettingsBinder::holdRecord() {
    const serialrules::CapcodeRecordTexts texts = screenRecord(tables_);
    if (showingRecord_ || session_.heldRecord() == texts)
        return;
    session_.holdRecord(texts);
    if (hooks_.recordTyped)
        hooks_.recordTyped();
}

// --- From the session to the controls ----------------------------------------------------------

void SettingsBinder::refresh() {
    session_.refresh();
    show(ShowRecord::Selected);
}

void SettingsBinder::showCapcodes() {
    session_.showCapcodes();
    show(ShowRecord::Keep);
}

void SettingsBinder::showSynthesizer() {
    session_.showSynthesizer();
    show(ShowRecord::Keep);
}

void SettingsBinder::showBaudPolarity() {
    session_.showBaudPolarity();
    show(ShowRecord::Keep);
}

void SettingsBinder::showSerialFeatures() {
    session_.showSerialFeatures();
    show(ShowRecord::Selected);
}

// Boxes are set with their rules held back: the session ran them already.
void SettingsBinder::show(ShowRecord record) {
    for (auto it = settings_.cbegin(); it != settings_.cend(); ++it) {
        const settings::Instance& s = *it.value();
        QObject* control = const_cast<QObject*>(it.key());
        switch (s.row->kind) {
        case Kind::Box: {
            auto* box = static_cast<QCheckBox*>(control);
            const QSignalBlocker hold(box);
            box->setChecked(session_.box(boxKeys_.value(box)));
            break;
        }
        case Kind::Text:
        case Kind::Number:
            if (auto* edit = qobject_cast<QLineEdit*>(control)) {
                // A value the image cannot give (no frequency without a channel step) leaves
                // the text.
                const QJsonValue v = s.read(session_).json;
                if (v.isString())
                    edit->setText(v.toString());
                else if (v.isDouble())
                    edit->setText(QString::number(v.toInteger()));
            } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
                // A member of a family of boxes (the power-up outputs).
                const QSignalBlocker hold(box);
                box->setChecked(session_.box(boxKeys_.value(box)));
            }
            break;
        case Kind::List:
            static_cast<QComboBox*>(control)->setCurrentIndex(session_.item(s.path));
            break;
        default:
            break;
        }
    }
    showLabels();

    // The function-bit groups show the selected capcode, dropping what was typed into them
    // only where the refresh does.
    if (record == ShowRecord::Selected) {
        capcodeSelector_->setCurrentIndex(session_.selectedCapcode());
        showHeldRecord();
    }

    hooks_.pageChanged(
        serialrules::serialPageEnables(session_.box(QStringLiteral("serialOutput.on")),
                                       session_.box(QStringLiteral("outputFeatures.funCmdEnable")),
                                       session_.box(QStringLiteral("serialOutput.serialLed"))));
}

void SettingsBinder::showLabels() {
    const shown::Synthesizer s =
        shown::synthesizer(session_.image(), session_.tuning().bandMultiplier);
    pllRLabel_->setText(s.pllR);
    pllNLabel_->setText(s.pllN);
    multiplierLabel_->setText(s.mult);
    channelLabel_->setText(s.channel);
    preScalerLabel_->setText(outputrules::prescalerMaximum(session_.periodScale()));
}

void SettingsBinder::showHeldRecord() {
    if (!session_.heldRecord())
        session_.showRecord(session_.selectedCapcode());
    const serialrules::CapcodeRecordTexts& texts = *session_.heldRecord();
    showingRecord_ = true;
    for (int f = 0; f < kFunctionBits; ++f) {
        tables_.headerEdits[f]->setMaskedText(texts[f].header);
        tables_.trailerEdits[f]->setMaskedText(texts[f].trailer);
        tables_.timeoutEdits[f]->setMaskedText(texts[f].timeout);
        tables_.fcEdits[f]->setMaskedText(texts[f].funCmd);
        tables_.intFunCmdBoxes[f]->setChecked(texts[f].intFunCmd);
    }
    showingRecord_ = false;
    // The edits' mask may show a text otherwise than it was held (blanks for what is no pair).
    session_.holdRecord(screenRecord(tables_));
}

void SettingsBinder::showCapcodeRecord(int c) {
    session_.showRecord(c);
    showHeldRecord();
}

void SettingsBinder::collectCapcodeRecord(int c) {
    serialrules::collectCapcodeRecord(session_.image(), c,
                                      session_.heldRecord().value_or(session_.shownRecord(c)));
}

void SettingsBinder::selectCapcode(int c) {
    session_.selectCapcode(c);
    showHeldRecord();
}

void SettingsBinder::prescalerRefresh() {
    session_.setItem(settings::stateKey(preScalerList_->objectName()),
                     preScalerList_->currentIndex());
    session_.prescalerRule();
    show(ShowRecord::Selected);
}
