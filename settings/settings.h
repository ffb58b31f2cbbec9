#pragma once
// The program's one settings document (plimo.ini in the program folder).
// Start-up loads it before any thread runs; every part of the program
// reaches it here, and pages get it passed by the dispatcher as well.

#include "settings/ini_file.h"

namespace plimod {

// The shared document; empty until start-up loads it.
IniFile& Settings();

// Makes the log's on/off switch read SYSTEM/LOG (default 0 = off) from
// Settings() when the log first asks. Called once at start.
void ConnectLogSwitchToSettings();

}  // namespace plimod
