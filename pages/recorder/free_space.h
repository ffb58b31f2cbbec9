#pragma once
// The free space of a recording folder as the status page writes it.

#include <cstdint>
#include <optional>
#include <string>

namespace plimod {

struct FolderSpace {
  std::uint64_t availableBytes = 0;  // to this process
  std::uint64_t totalBytes = 0;
};

// statvfs of the folder (a UTF-8 path); nothing when it fails.
std::optional<FolderSpace> ReadFolderSpace(const std::string& path);

// "空きディスク領域: 1.50GB (15%)" with hundredths of two digits, inside
// <font color=red> when 10 % or less or at most 100 GiB is free. A total
// of 0 counts as 0 %.
std::string FreeSpaceText(const FolderSpace& space);

}  // namespace plimod
