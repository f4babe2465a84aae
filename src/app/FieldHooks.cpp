#include "app/FieldHooks.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

namespace {

// The focus leaving for a message box, a menu or another window, and coming back from
// there, is no move of the user's from field to field: a rule that opened a box must not run
// again because the box took the focus.
bool movedByUser(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
           reason != Qt::MenuBarFocusReason;
}

} // namespace

FieldHooks::FieldHooks(UserSeam& seam, QLineEdit* focusSink, Guard guard, QObject* parent)
    : QObject(parent), seam_(seam), sink_(focusSink), guard_(std::move(guard)) {}

void FieldHooks::watch(QWidget* control) {
    if (!rows_.contains(control))
        control->installEventFilter(this);
}

void FieldHooks::add(QWidget* control, Event event, Rule rule) {
    watch(control);
    rows_.insert(control, Row{event, std::move(rule)});
}

void FieldHooks::add(QComboBox* list, Event, PickRule rule) {
    connect(list, &QComboBox::activated, this,
            [this, rule = std::move(rule)](int item) { guard_([&] { rule(item); }); });
}

void FieldHooks::add(QLineEdit* edit, Event event, KeyRule rule) {
    watch(edit);
    rows_.insert(edit, Row{event, {}, rule});
}

FieldHooks::Rule FieldHooks::emptied(QLineEdit* edit) {
    // setText, unlike clear(), leaves the edit unmodified: leaving it untouched stores nothing.
    return [edit] { edit->setText(QString()); };
}

void FieldHooks::settle(QLineEdit* field, const RuleOutcome& outcome, const Rule& show) {
    if (!outcome.refused()) {
        if (show)
            show();
        return;
    }
    showOutcome(seam_, outcome);
    if (show)
        show();
    refocus(field);
    // While the focus is on its way elsewhere (the rule ran as the field lost it), the
    // toolkit completes that move after the rule; the field takes the focus back after it.
    QTimer::singleShot(0, field, [this, field] {
        if (!field->hasFocus())
            refocus(field);
    });
}

void FieldHooks::refocus(QLineEdit* field) {
    refocusing_ = field;
    field->setFocus(Qt::OtherFocusReason);
    refocusing_ = nullptr;
    field->selectAll();
}

void FieldHooks::watchSurface(QWidget* surface, Rule onMove) {
    onSurfaceMove_ = std::move(onMove);
    bare_.insert(surface);
    for (QWidget* w : surface->findChildren<QWidget*>())
        if (w->focusPolicy() == Qt::NoFocus &&
            (qobject_cast<QFrame*>(w) || qobject_cast<QGroupBox*>(w)))
            bare_.insert(w);
    for (QObject* o : std::as_const(bare_)) {
        auto* w = static_cast<QWidget*>(o);
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

void FieldHooks::run(QObject* control, Event event) {
    // Rows may be added later; copy the ones that apply first.
    QList<Rule> rules;
    for (auto it = rows_.constFind(control); it != rows_.cend() && it.key() == control; ++it)
        if (it->event == event && it->rule)
            rules.prepend(it->rule);
    for (const Rule& r : rules)
        guard_(r);
}

bool FieldHooks::filterKey(QLineEdit* edit, QEvent* event) {
    auto* k = static_cast<QKeyEvent*>(event);
    // Shortcuts (copy, paste, undo) and keys without a character (arrows, Delete, Tab's
    // focus move) are no typed characters.
    if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    QChar c;
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
        c = QChar(kEnterChar);
    else if (k->key() == Qt::Key_Backspace)
        c = QChar(kBackspaceChar);
    else if (!k->text().isEmpty() && k->text().at(0).isPrint())
        c = k->text().at(0);
    else
        return false;

    for (auto it = rows_.constFind(edit); it != rows_.cend() && it.key() == edit; ++it) {
        if (it->event != Event::KeyPress || !it->key)
            continue;
        const KeyVerdict v = it->key(c);
        switch (v.action) {
        case KeyVerdict::Action::Pass:
            if (!v.typed.isNull() && v.typed != c) {
                // The edit (and its input mask) gets the key as the filter changed it.
                QKeyEvent changed(QEvent::KeyPress, k->key(), k->modifiers(), QString(v.typed),
                                  k->isAutoRepeat(), ushort(k->count()));
                edit->event(&changed);
                return true;
            }
            continue;
        case KeyVerdict::Action::Swallow:
            guard_([&] { showOutcome(seam_, v.outcome); });
            return true;
        case KeyVerdict::Action::ToFocusSink:
            if (sink_)
                sink_->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return false;
}

bool FieldHooks::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        if (bare_.contains(watched) && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
            guard_(onSurfaceMove_);
        break;
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (movedByUser(reason) && watched != refocusing_ && rows_.contains(watched)) {
            // The edit takes the focus first, then is emptied.
            watched->event(event);
            run(watched, Event::Enter);
            return true;
        }
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (movedByUser(reason) && rows_.contains(watched)) {
            // The edit finishes losing the focus before its rule runs, so a rule that gives
            // the focus back leaves the edit focused, with its cursor.
            watched->event(event);
            run(watched, Event::Exit);
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && rows_.contains(watched))
            return filterKey(edit, event);
        break;
    case QEvent::KeyRelease:
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat() && rows_.contains(watched)) {
            watched->event(event);
            typing_ = true;
            run(watched, Event::KeyUp);
            typing_ = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
