#pragma once
// Where the recorder's files are. Paths in the settings may use "/" or "\"
// between folders; paths made here join with "/".

#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_file.h"

namespace plimod {

// The file `name` in the folder of `path` (up to its last "/" or "\");
// nothing when the path holds neither.
std::optional<std::wstring> SiblingFilePath(std::wstring_view path, std::wstring_view name);

// The recorder's Program.txt: [EPGDATACAP] PROGRAMTXT (a folder, or the
// file itself), else Program.txt under "EpgTimerBon" in the documents
// folder. Nothing when the recorder link is off ([EPGDATACAP] ENABLE 0 or
// missing) or no path can be made.
std::optional<std::wstring> LocateProgramTxt(const IniFile& settings);

// Another of the recorder's files ("RecInfo.txt", "Reserve.txt") beside the
// Program.txt that PROGRAMTXT names; nothing when PROGRAMTXT is empty.
std::optional<std::wstring> LocateRecorderFile(const IniFile& settings, std::wstring_view name);

}  // namespace plimod
