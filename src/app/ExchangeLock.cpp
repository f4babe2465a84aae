#include "app/ExchangeLock.h"

#include <QAction>
#include <QActionGroup>
#include <QShortcut>
#include <QWidget>

namespace {

// The item's own state, not the one it inherits from a disabled parent.
bool ownState(const QObject* object) {
    if (auto* s = qobject_cast<const QShortcut*>(object))
        return s->isEnabled();
    if (auto* w = qobject_cast<const QWidget*>(object))
        return w->parentWidget() ? w->isEnabledTo(w->parentWidget()) : w->isEnabled();
    return true;
}

void apply(QObject* object, bool on) {
    if (auto* a = qobject_cast<QAction*>(object))
        a->setEnabled(on);
    else if (auto* s = qobject_cast<QShortcut*>(object))
        s->setEnabled(on);
    else if (auto* w = qobject_cast<QWidget*>(object))
        w->setEnabled(on);
}

} // namespace

ExchangeLock::ExchangeLock() : actions_(std::make_unique<QActionGroup>(nullptr)) {
    actions_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
}

ExchangeLock::~ExchangeLock() = default;

void ExchangeLock::add(QAction* item) {
    if (item)
        actions_->addAction(item);
}
void ExchangeLock::add(QShortcut* item) {
    if (item && !find(item))
        items_.append({item, ownState(item)});
}
void ExchangeLock::add(QWidget* item) {
    if (item && !find(item))
        items_.append({item, ownState(item)});
}

ExchangeLock::Item* ExchangeLock::find(QObject* object) {
    for (Item& i : items_)
        if (i.object == object)
            return &i;
    return nullptr;
}

void ExchangeLock::engage() {
    if (engaged_)
        return;
    moveFocusOutOfLockedControls();
    actions_->setEnabled(false);
    for (Item& i : items_) {
        if (!i.object)
            continue;
        i.wanted = ownState(i.object);
        apply(i.object, false);
    }
    engaged_ = true;
}

void ExchangeLock::release() {
    if (!engaged_)
        return;
    engaged_ = false;
    for (const Item& i : items_)
        if (i.object)
            apply(i.object, i.wanted);
    actions_->setEnabled(true);
}

void ExchangeLock::setEnabled(QObject* item, bool on) {
    Item* i = find(item);
    if (i && engaged_)
        i->wanted = on;
    else if (item)
        apply(item, on);
}

void ExchangeLock::moveFocusOutOfLockedControls() {
    QWidget* window = focusSink_ ? focusSink_->window() : nullptr;
    if (!window)
        return;
    auto focusInside = [&] {
        QWidget* focus = window->focusWidget();
        if (!focus)
            return false;
        for (const Item& i : items_) {
            auto* w = qobject_cast<QWidget*>(i.object.data());
            if (w && (w == focus || w->isAncestorOf(focus)))
                return true;
        }
        return false;
    };
    if (!focusInside())
        return;
    focusSink_->setFocus(Qt::OtherFocusReason);
    // A rule that refused the value takes the focus back to its field; the window itself
    // then holds it, so that locking does not walk the focus through the controls.
    if (focusInside())
        window->setFocus(Qt::OtherFocusReason);
}
