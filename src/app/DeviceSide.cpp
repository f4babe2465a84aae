#include "app/DeviceSide.h"

#include "protocol/ConnectionDialog.h"
#include "settings/Differences.h"

DeviceSide::DeviceSide(UserSeam& seam, ParamImage& image, OperationHost& host, Hooks hooks)
    : trace_(sessiontrace::newPath()), exchange_(port_, seam),
      operations_(exchange_, image, link_, host), host_(host), hooks_(std::move(hooks)) {
    trace_.setBeforeCreate([] { return sessiontrace::prepareFolder(); });
    exchange_.setTrace(&trace_);
    operations_.setKeeper(&backups_);
    operations_.setDifferenceLister(settings::differenceLines);
}

DeviceSide::~DeviceSide() {
    // The dialog works on the exchange and link state owned here; it goes first.
    delete connection_.data();
}

void DeviceSide::run(const std::function<void()>& exchange) {
    if (running())
        return;
    {
        ExchangeLock::Scope locked(lock_);
        hooks_.guard(exchange);
    }
    if (closeAsked_) {
        closeAsked_ = false;
        hooks_.close();
    }
}

bool DeviceSide::closeMustWait() {
    // The exchange under way ends first (its port, its message); the window closes after it.
    if (!running())
        return false;
    closeAsked_ = true;
    return true;
}

TfrmConn* DeviceSide::connectionDialog(QWidget* parent) {
    if (!connection_)
        connection_ = new TfrmConn(exchange_, link_, host_, parent);
    return connection_;
}

TfrmConn* DeviceSide::connectionDialog() const {
    return connection_;
}

void DeviceSide::closePort() {
    try {
        if (port_.isOpen())
            port_.Close();
    } catch (const ECommError&) {
        // Nothing more can be done with it; the program goes on (or ends) without it.
    }
}
