#include "util/module_paths.h"

#include <mutex>

#include "platform/paths.h"

namespace plimod {
namespace {

struct ModulePaths {
  std::mutex mutex;
  bool initialised = false;
  std::wstring dir;
  std::wstring filePath;
};

ModulePaths& ThePaths() {
  static ModulePaths paths;
  return paths;
}

}  // namespace

void UnquotePath(std::wstring& path) {
  if (path.size() >= 2 && path.front() == L'"' && path.find(L'"', 1) == path.size() - 1) {
    path = path.substr(1, path.size() - 2);
  }
}

void QuoteIfBlank(std::wstring& path) {
  UnquotePath(path);
  if (path.find(L' ') != std::wstring::npos && path.size() + 2 < kMaxPathChars) {
    path = L"\"" + path + L"\"";
  }
}

std::wstring InitModulePaths(const std::wstring& fileName) {
  const std::wstring dir = ProgramDir();
  std::lock_guard lock(ThePaths().mutex);
  ThePaths().initialised = true;
  ThePaths().filePath.clear();
  if (dir.empty() || dir.size() > kMaxPathChars) {
    ThePaths().dir.clear();
    return {};
  }
  ThePaths().dir = dir;
  const std::wstring path = dir + fileName;
  if (path.size() > kMaxPathChars) return {};
  ThePaths().filePath = path;
  return path;
}

std::wstring GetModuleDir() {
  {
    std::lock_guard lock(ThePaths().mutex);
    if (ThePaths().initialised) return ThePaths().dir;
  }
  return ProgramDir();
}

std::wstring GetModuleFilePath() {
  std::lock_guard lock(ThePaths().mutex);
  return ThePaths().filePath;
}

bool GetEpgTimerBonPath(std::wstring& out, std::size_t size, const std::wstring& fileName) {
  const std::wstring folder = DocumentsDir();
  // 14: "/EpgTimerBon/" and the terminating NUL of the original buffer.
  if (folder.empty() || folder.size() + fileName.size() + 14 >= size) return false;
  out = folder + L"/EpgTimerBon/" + fileName;
  return true;
}

}  // namespace plimod
