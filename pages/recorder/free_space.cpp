#include "pages/recorder/free_space.h"

#include <sys/statvfs.h>

#include <cstdio>

namespace plimod {
namespace {

constexpr std::uint64_t kRedBelowKiB = 104857600;  // 100 GiB
constexpr std::uint64_t kGiBInKiB = 1048576;

}  // namespace

std::optional<FolderSpace> ReadFolderSpace(const std::string& path) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) return std::nullopt;
  FolderSpace space;
  space.availableBytes = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
  space.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize;
  return space;
}

std::string FreeSpaceText(const FolderSpace& space) {
  const std::uint64_t percent = space.totalBytes == 0 ? 0 : space.availableBytes * 100 / space.totalBytes;
  const std::uint64_t freeKiB = space.availableBytes >> 10;
  const bool red = percent <= 10 || freeKiB <= kRedBelowKiB;
  const bool gib = freeKiB >= kGiBInKiB;
  const std::uint64_t hundredths = gib ? ((freeKiB >> 10) * 100) >> 10 : (freeKiB * 100) >> 10;
  char text[160];
  std::snprintf(text, sizeof text, "%s空きディスク領域: %llu.%02llu%s (%llu%%)%s", red ? "<font color=red>" : "",
                static_cast<unsigned long long>(hundredths / 100), static_cast<unsigned long long>(hundredths % 100),
                gib ? "GB" : "MB", static_cast<unsigned long long>(percent), red ? "</font>" : "");
  return text;
}

}  // namespace plimod
