#pragma once

#include <QString>

// What a device operation needs from the window beyond the user seam. The command line
// supplies a host that has no controls to collect from or refresh.
class OperationHost {
  public:
    virtual ~OperationHost() = default;

    // Copies the pending header, trailer, time-out and function command edits of the
    // selected capcode into the image (they have no rule of their own).
    virtual void collectPendingRecord() = 0;
    // Shows the whole image on the controls again; ends by writing the model tag.
    virtual void refreshFromImage() = 0;
    // The "Write" item of the "Pager" menu.
    virtual void setWriteEnabled(bool on) = 0;
    // The "Pager" menu, enabled after the first successful connection.
    virtual void enablePager() = 0;

    // The line to the sign, for the window to show: linked on a port (a link or an operation's
    // link succeeded), its firmware identified (the identification text), or lost (a link
    // failed, a Link was cancelled, the port went away). The command line shows none of it.
    virtual void lineLinked(const QString& /*port*/) {}
    virtual void firmwareIdentified(const QString& /*idText*/) {}
    virtual void lineLost() {}
};
