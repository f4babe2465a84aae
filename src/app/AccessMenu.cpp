// The side tools behind access codes: System > "Admin" opens "Alpha Data", System > "LED Sign
// Command" the command dialog. They come with those dialogs; until then nothing opens.
#include "app/MainWindow.h"

void TfrmAir::Admin1Click() {}
void TfrmAir::LEDSignCommand1Click() {}
