#include "app/launcher.h"

#include <sys/stat.h>

#include <algorithm>

#include "app/dialog_models/launcher_dialog_model.h"
#include "app/launcher_path.h"
#include "app/launcher_shell.h"
#include "platform/file.h"
#include "settings/settings.h"
#include "util/module_paths.h"

namespace plimod {

namespace {

// The menu reads entries up to 9; the dialog edits the first six.
constexpr int kMenuEntries = 9;
constexpr std::size_t kMaxLaunchPathChars = 1023;

}  // namespace

LauncherActions HostLauncherActions() {
  LauncherActions actions;
  actions.openUrl = [](const std::wstring& url) { ReapLater(OpenUrl(url)); };
  actions.openDocument = [](const std::wstring& path) { OpenDocument(path); };
  actions.startProcess = [](const std::wstring& line) { ReapLater(StartProcess(line)); };
  actions.exists = [](const std::wstring& path) {
    struct stat info;
    return stat(ToNativePath(path).c_str(), &info) == 0;
  };
  return actions;
}

bool RunLauncherItem(std::uint32_t command, const IniFile& settings, const LauncherActions& actions) {
  if (command < kFirstLauncherCommand || command > kLastLauncherCommand) return false;
  const std::wstring section = LauncherSection(static_cast<int>(command - kFirstLauncherCommand) + 1);
  std::wstring path = settings.GetString(section.c_str(), L"PATH").value_or(L"");
  if (path.size() > kMaxLaunchPathChars) path.resize(kMaxLaunchPathChars);
  UnquotePath(path);
  switch (ClassifyLaunchPath(path, actions.exists(path))) {
    case LaunchKind::kUrl: actions.openUrl(path); break;
    case LaunchKind::kDocument: actions.openDocument(path); break;
    case LaunchKind::kCommand: actions.startProcess(path); break;
  }
  return true;
}

bool RunLauncherItem(std::uint32_t command) {
  return RunLauncherItem(command, Settings(), HostLauncherActions());
}

void AddLauncherMenuItems(TrayMenu& menu, const IniFile& settings) {
  const std::ptrdiff_t position = std::max<std::ptrdiff_t>(0, std::ssize(menu) - 2);
  for (int n = kMenuEntries; n >= 1; --n) {
    std::wstring caption =
        settings.GetString(LauncherSection(n).c_str(), L"CAPTION").value_or(L"");
    if (caption.empty()) continue;
    menu.insert(menu.begin() + position,
                TrayMenuItem{kFirstLauncherCommand + static_cast<std::uint32_t>(n - 1), caption});
  }
}

void AddLauncherMenuItems(TrayMenu& menu) { AddLauncherMenuItems(menu, Settings()); }

}  // namespace plimod
