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

}  // namespace plimod
