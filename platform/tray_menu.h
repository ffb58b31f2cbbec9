#pragma once
// The tray icon's popup menu as a plain list, so the code that fills it
// needs no desktop. The chosen command comes back as WM_COMMAND.

#include <cstdint>
#include <string>
#include <vector>

namespace plimod {

struct TrayMenuItem {
  std::uint32_t command = 0;  // 0: a separator
  std::wstring text;
};

using TrayMenu = std::vector<TrayMenuItem>;

// The command of the first launcher entry: a double click on the tray icon
// runs it too.
inline constexpr std::uint32_t kFirstLauncherCommand = 50000;

}  // namespace plimod
