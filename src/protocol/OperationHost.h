#pragma once

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
};
