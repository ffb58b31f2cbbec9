#pragma once
// The launcher: user-defined tray-menu entries that open a URL or a
// document or start a program (commands 50000 to 50009).

#include <cstdint>
#include <functional>
#include <string>

#include "platform/tray_menu.h"

namespace plimod {

class IniFile;

inline constexpr std::uint32_t kLastLauncherCommand = 50009;

// Runs the entry of `command`; false for a command that is not a launcher's.
bool RunLauncherItem(std::uint32_t command);
// Adds entries 1 to 9 that have a caption, in order, before the menu's
// last separator and its exit item.
void AddLauncherMenuItems(TrayMenu& menu);

// What running an entry does on the host; the tests record it instead.
struct LauncherActions {
  std::function<void(const std::wstring& url)> openUrl;
  std::function<void(const std::wstring& path)> openDocument;
  std::function<void(const std::wstring& commandLine)> startProcess;
  std::function<bool(const std::wstring& path)> exists;
};
LauncherActions HostLauncherActions();

bool RunLauncherItem(std::uint32_t command, const IniFile& settings, const LauncherActions& actions);
void AddLauncherMenuItems(TrayMenu& menu, const IniFile& settings);

}  // namespace plimod
