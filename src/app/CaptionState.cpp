#include "app/CaptionState.h"

#include "core/Messages.h"
#include "image/TableFile.h"

void CaptionState::fileTaken(const QString& path) {
    file_ = path;
    origin_.clear();
}

QString CaptionState::caption(const QString& base) const {
    QString c = file_.isEmpty() ? base : tablefile::captionWithFile(base, file_);
    if (!origin_.isEmpty())
        c += QStringLiteral(" - ") + origin_;
    if (modified_)
        c += msg::modifiedMark;
    return c;
}

QString shownPortName(const QString& port) {
    const QString dev = QStringLiteral("/dev/");
    return port.startsWith(dev) && port.size() > dev.size() ? port.mid(dev.size()) : port;
}
