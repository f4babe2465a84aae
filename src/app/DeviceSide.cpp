#include "app/DeviceSide.h"

#include "settings/Differences.h"

DeviceSide::DeviceSide(UserSeam& seam, ParamImage& image, OperationHost& host)
    : trace_(sessiontrace::newPath()), exchange_(port_, seam),
      operations_(exchange_, image, link_, host) {
    trace_.setBeforeCreate([] { return sessiontrace::prepareFolder(); });
    exchange_.setTrace(&trace_);
    operations_.setKeeper(&backups_);
    operations_.setDifferenceLister(settings::differenceLines);
}

void DeviceSide::closePort() {
    try {
        if (port_.isOpen())
            port_.Close();
    } catch (const ECommError&) {
        // Nothing more can be done with it; the program goes on (or ends) without it.
    }
}
