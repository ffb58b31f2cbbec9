#pragma once
// The "*_epg.dat" files of a folder.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace plimod {

struct EpgFileEntry {
  std::wstring name;           // read as UTF-8 (bytes that are not become U+FFFD)
  std::string nativeName;      // the bytes the file system gave
  std::int64_t writeTime = 0;  // modification time, 100-ns ticks since 1601 (UTC)
};

// Regular files whose names match "*_epg.dat" in any letter case, sorted by
// name. Empty when the folder cannot be read.
std::vector<EpgFileEntry> ListEpgFiles(const std::wstring& folder);

// A file-system time as 100-ns ticks since 1601-01-01 UTC.
std::int64_t FileTimeTicks(const timespec& time);

}  // namespace plimod
