#include "app/SafeApplication.h"

#include "app/QtSeam.h"
#include "core/Messages.h"

#include <exception>

SafeApplication::SafeApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(msg::appTitle);
}

bool SafeApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showErrorBox(activeWindow(), QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorBox(activeWindow(), QString());
    }
    return false;
}
