#include "protocol/OperationEnd.h"

#include "core/Messages.h"
#include "core/UserSeam.h"
#include "protocol/Exchange.h"
#include "protocol/OperationHost.h"
#include "serial/TCommPort.h"

void ClosePortQuietly(Exchange& ex) {
    try {
        ex.port().Close();
    } catch (const ECommError&) {
    }
}

void EndOperation(Exchange& ex, const OperationEnd& end, const QString& message,
                  OperationHost* host) {
    UserSeam& seam = ex.seam();
    if (!message.isEmpty())
        seam.message(message);
    if (end.closePort)
        ClosePortQuietly(ex);
    if (end.resetProgress)
        seam.setProgress(0);
    switch (end.status) {
    case OperationEnd::Status::Unchanged:
        break;
    case OperationEnd::Status::Ready:
        seam.setStatus(msg::statusReady);
        break;
    case OperationEnd::Status::ReadyDots:
        seam.setStatus(msg::statusReadyDots);
        break;
    }
    if (end.enableWrite && host)
        host->setWriteEnabled(true);
}
