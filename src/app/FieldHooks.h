#pragma once

#include "editor/KeyVerdict.h"
#include "editor/RuleOutcome.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <functional>

class QComboBox;
class QLineEdit;
class QWidget;
class UserSeam;

// How the window's edits and lists reach their editor rules. Each rule is one row (control,
// event, rule); this class turns the toolkit's events into those events:
//
//   Enter    the edit got the focus from the user (a click, Tab, the program's setFocus),
//            not back from a message box, a menu or another window;
//   Exit     the edit lost the focus the same way: Tab, a click elsewhere, Enter (which moves
//            the focus to the focus sink) or a mouse movement over the bare surface;
//   KeyPress a typed character, before the edit sees it (the key filters);
//   KeyUp    a key was released in the edit;
//   Pick     the user chose a list item (never a selection made from code).
//
// Setting a text or an item from code raises none of them, so showing the image runs no rule.
class FieldHooks : public QObject {
    Q_OBJECT
  public:
    enum class Event { Enter, Exit, KeyPress, KeyUp, Pick };
    using Rule = std::function<void()>;
    using PickRule = std::function<void(int item)>;
    using KeyRule = KeyVerdict (*)(QChar key);
    // Runs a rule so that an error escaping it is shown and the window goes on.
    using Guard = std::function<void(const std::function<void()>&)>;

    FieldHooks(UserSeam& seam, QLineEdit* focusSink, Guard guard, QObject* parent);

    void add(QWidget* control, Event event, Rule rule);    // Enter, Exit, KeyUp
    void add(QComboBox* list, Event event, PickRule rule); // Pick
    void add(QLineEdit* edit, Event event, KeyRule rule);  // KeyPress

    // The Enter rule of the numeric edits: the user always types a value from scratch.
    static Rule emptied(QLineEdit* edit);

    // Carries out what a rule of the field answered. A refusal shows its message, then the
    // stored value (show), and gives the focus back to the field with its text selected,
    // without emptying it. Otherwise only show runs (when given).
    void settle(QLineEdit* field, const RuleOutcome& outcome, const Rule& show);

    // True while the rules of a key run: the edit under way is not finished yet.
    bool typing() const { return typing_; }

    // Runs onMove on every mouse movement over surface itself or over any group, panel or
    // label on it: the bare surface around the controls.
    void watchSurface(QWidget* surface, Rule onMove);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Row {
        Event event;
        Rule rule;
        KeyRule key = nullptr;
    };
    void watch(QWidget* control);
    void run(QObject* control, Event event);
    void refocus(QLineEdit* field);
    bool filterKey(QLineEdit* edit, QEvent* event);

    UserSeam& seam_;
    QPointer<QLineEdit> sink_;
    Guard guard_;
    QMultiHash<QObject*, Row> rows_;
    QSet<QObject*> bare_; // the surface and its groups, panels and labels
    Rule onSurfaceMove_;
    QLineEdit* refocusing_ = nullptr; // the field taking the focus back after a refusal
    bool typing_ = false;
};
