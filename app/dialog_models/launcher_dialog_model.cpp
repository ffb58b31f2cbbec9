#include "app/dialog_models/launcher_dialog_model.h"

#include "app/dialog_models/browse.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

namespace plimod {

namespace {

constexpr int kProgramFilters = 1;

void StoreField(IniFile& settings, const std::wstring& section, const wchar_t* key,
                const std::wstring& value) {
  if (value.empty()) {
    settings.DeleteKey(section.c_str(), key);
  } else {
    settings.SetString(section.c_str(), key, std::wstring_view(value).substr(0, kMaxLauncherFieldChars));
  }
}

}  // namespace

std::wstring LauncherSection(int entry) { return L"LAUNCH_" + std::to_wstring(entry); }

LauncherDialogModel LoadLauncherDialog(const IniFile& settings) {
  LauncherDialogModel model;
  for (int i = 0; i < kLauncherDialogRows; ++i) {
    const std::wstring section = LauncherSection(i + 1);
    model.rows[i].caption = settings.GetString(section.c_str(), L"CAPTION").value_or(L"");
    model.rows[i].path = settings.GetString(section.c_str(), L"PATH").value_or(L"");
  }
  return model;
}

bool BrowseLauncherPath(DialogHost& host, LauncherDialogModel& model, int row) {
  if (row < 0 || row >= kLauncherDialogRows) return false;
  return BrowseForFile(host, model.rows[row].path, kProgramFilters);
}

bool ApplyLauncherDialog(const LauncherDialogModel& model, IniFile& settings) {
  auto lock = settings.Lock();
  for (int i = 0; i < kLauncherDialogRows; ++i) {
    const std::wstring section = LauncherSection(i + 1);
    StoreField(settings, section, L"CAPTION", model.rows[i].caption);
    StoreField(settings, section, L"PATH", model.rows[i].path);
  }
  return SaveSettings(settings);
}

}  // namespace plimod
