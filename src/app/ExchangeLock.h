#pragma once

#include <QList>
#include <QPointer>
#include <memory>

class QAction;
class QActionGroup;
class QObject;
class QShortcut;
class QWidget;

// The menu items, shortcuts and controls that could start a second exchange with the sign or
// change the image. While an exchange waits, the window keeps processing events, so all of
// them are switched off for its duration and given back their own state afterwards.
//
// A widget is switched off by itself: its children keep their own enabled state, so a child
// disabled before (or switched by a rule during the exchange, a refresh after a read for one)
// shows that state again once the widget is given back. Menu items are switched off through
// a group of their own in the same way: an item keeps what it was last told (the "Write" item
// by an operation, for one) and shows it once the group is given back. A hidden item stays
// able to run by its shortcut. For the other locked objects, what the window's own code asks
// of them meanwhile goes through setEnabled() and is applied at the end.
class ExchangeLock {
  public:
    ExchangeLock();
    ~ExchangeLock();
    ExchangeLock(const ExchangeLock&) = delete;
    ExchangeLock& operator=(const ExchangeLock&) = delete;

    void add(QAction* item);
    void add(QShortcut* item);
    void add(QWidget* item);
    // Where the keyboard focus goes when it sits inside a control about to be locked. Taking
    // it there ends the edit under way as the Enter key does.
    void setFocusSink(QWidget* sink) { focusSink_ = sink; }

    bool engaged() const { return engaged_; }
    void engage();
    void release();

    // Applied now when the lock is off, or the item is a menu item or not one of the lock's
    // own; kept for the end of the exchange otherwise.
    void setEnabled(QObject* item, bool on);

    // Holds the lock for one exchange.
    class Scope {
      public:
        explicit Scope(ExchangeLock& lock) : lock_(lock) { lock_.engage(); }
        ~Scope() { lock_.release(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        ExchangeLock& lock_;
    };

  private:
    struct Item {
        QPointer<QObject> object;
        bool wanted = true;
    };
    Item* find(QObject* object);
    void moveFocusOutOfLockedControls();

    std::unique_ptr<QActionGroup> actions_;
    QList<Item> items_;
    QPointer<QWidget> focusSink_;
    bool engaged_ = false;
};
