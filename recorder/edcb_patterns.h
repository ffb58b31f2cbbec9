#pragma once
// The recorder link's share of the settings and the tray menu: the one-time
// move of the old batch-file keys, the tray items of the recorder link, and
// the test that keeps the machine awake while a recording is due.

#include "platform/tray_menu.h"
#include "settings/ini_file.h"

namespace plimod {

void MigrateBatchList(IniFile& settings);
void AddEdcbTrayMenuItems(TrayMenu& menu);
bool IsRecordingBusy(IniFile& settings);

}  // namespace plimod
