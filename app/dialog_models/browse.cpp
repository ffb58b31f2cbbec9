#include "app/dialog_models/browse.h"

#include "app/dialog_models/dialog_host.h"
#include "util/module_paths.h"

namespace plimod {

namespace {

const FileFilter kAllFiles{L"すべてのファイル (*.*)", FileFilterKind::kAll};
const FileFilter kPrograms{L"実行ファイル (*.exe;*.com;*.bat)", FileFilterKind::kExecutable};
const FileFilter kScripts{L"batファイル (*.bat)", FileFilterKind::kShellScript};

}  // namespace

std::vector<FileFilter> FileFilterList(int filterIndex) {
  switch (filterIndex) {
    case 0: return {kAllFiles, kPrograms};
    case 1: return {kPrograms, kAllFiles, kScripts, kAllFiles};
    default: return {};
  }
}

bool BrowseForFile(DialogHost& host, std::wstring& field, int filterIndex) {
  std::wstring initial = field.substr(0, kMaxPathChars);
  UnquotePath(initial);
  std::wstring chosen;
  FilePick pick = host.PickFile(initial, filterIndex, chosen);
  if (pick == FilePick::kInvalidInitialFile) pick = host.PickFile(L"", filterIndex, chosen);
  if (pick != FilePick::kChosen) return false;
  QuoteIfBlank(chosen);
  field = chosen;
  return true;
}

bool BrowseForFolder(DialogHost& host, std::wstring& field) {
  std::optional<std::wstring> chosen = host.PickFolder(field);
  if (!chosen) return false;
  field = *chosen;
  return true;
}

}  // namespace plimod
