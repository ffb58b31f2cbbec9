#include "recorder/edcb_patterns.h"

namespace plimod {

// The recorder link is not built yet: nothing to move, add or keep awake for.
void MigrateBatchList(IniFile&) {}
void AddEdcbTrayMenuItems(TrayMenu&) {}
bool IsRecordingBusy(IniFile&) { return false; }

}  // namespace plimod
