#include "epg/epg_file_list.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "platform/file.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"

namespace plimod {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

std::int64_t FileTimeTicks(const timespec& time) {
  return (static_cast<std::int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * kTicksPerSecond +
         time.tv_nsec / 100;
}

std::vector<EpgFileEntry> ListEpgFiles(const std::wstring& folder) {
  std::vector<EpgFileEntry> files;
  std::string nativeFolder = ToNativePath(folder);
  if (nativeFolder.empty()) return files;
  if (nativeFolder.back() != '/') nativeFolder += '/';
  std::unique_ptr<DIR, DirCloser> dir(opendir(nativeFolder.c_str()));
  if (!dir) return files;
  while (const dirent* item = readdir(dir.get())) {
    if (fnmatch("*_epg.dat", item->d_name, FNM_CASEFOLD) != 0) continue;
    struct stat info {};
    if (stat((nativeFolder + item->d_name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      continue;
    }
    files.push_back({Utf8ToWide(item->d_name), item->d_name, FileTimeTicks(info.st_mtim)});
  }
  std::sort(files.begin(), files.end(),
            [](const EpgFileEntry& a, const EpgFileEntry& b) { return a.nativeName < b.nativeName; });
  return files;
}

}  // namespace plimod
