// The device side of the window: the "Pager" menu, "Check Firmware", "Link(F6)" and the
// serial port that closes with the window. The link, read, write, verify and firmware
// operations are wired in here; until then these handlers do nothing.
#include "app/MainWindow.h"

void TfrmAir::Read1Click() {}
void TfrmAir::Write1Click() {}
void TfrmAir::Verify1Click() {}
void TfrmAir::CheckFirmware1Click() {}
void TfrmAir::btnLink0EClick() {}
void TfrmAir::FormClose() {}
