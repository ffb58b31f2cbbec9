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

// Start-up's load of Settings() from `path` (a missing file gives an empty
// document) with the log switch connected. A file that cannot be read is
// never overwritten: the program runs on defaults, the log is on for the
// run (the user's own LOG setting is unknown) and its first line says why.
// False in that case.
bool LoadProgramSettings(const std::wstring& path);

// Saves the document to its own file; on failure logs one line naming the
// file and gives false.
[[nodiscard]] bool SaveSettings(IniFile& settings);
// The file a save of the document goes to, or the one it could not read.
std::wstring SettingsFileName(const IniFile& settings);

}  // namespace plimod
