#pragma once

#include <QApplication>

// The application object. An error that escapes an event handler is shown in the standard
// error box and the program goes on, as every handler of the window does for itself.
class SafeApplication : public QApplication {
  public:
    SafeApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
