#pragma once
// Makes the GTK desktop; usable whether or not the build has it.

#include <memory>

#include "platform/desktop.h"

namespace plimod {

// The GTK desktop on the display named by the environment; null when the
// build has no GTK desktop or the display cannot be opened. Call on the
// main thread; the desktop's GTK work then stays on that thread.
std::unique_ptr<Desktop> MakeGtkDesktop();

}  // namespace plimod
