#include "app/launcher.h"

namespace plimod {

// The launcher is not built yet: no entries.
bool RunLauncherItem(std::uint32_t) { return false; }
void AddLauncherMenuItems(TrayMenu&) {}

}  // namespace plimod
