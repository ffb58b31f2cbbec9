#pragma once
// Chooses the desktop at start: the GTK desktop when a display is present
// and the program was built with it, else the headless one.

#include <memory>

#include "platform/desktop.h"

namespace plimod {

// True when DISPLAY or WAYLAND_DISPLAY names a display.
bool DisplayPresent();
// The desktop to pass to UseDesktop; null means the headless one. Call on
// the main thread before the main loop runs.
std::unique_ptr<Desktop> MakeDesktop();

}  // namespace plimod
