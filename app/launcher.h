#pragma once
// The launcher: user-defined tray-menu entries that open a URL or a
// document or start a program (commands 50000 to 50009).

#include <cstdint>

#include "platform/tray_menu.h"

namespace plimod {

// Runs the entry of `command`; false for a command that is not a launcher's.
bool RunLauncherItem(std::uint32_t command);
void AddLauncherMenuItems(TrayMenu& menu);

}  // namespace plimod
