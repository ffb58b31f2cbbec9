#pragma once
// The tray icon's popup menu as the user sees it.

#include "platform/tray_menu.h"

namespace plimod {

// The fixed items, then those of the recorder link and the launcher.
TrayMenu BuildTrayMenu();

}  // namespace plimod
