#pragma once
// Closing the gaps between the automatic reservation conditions: the used
// ones (a section holding ENABLE) become 1, 2, 3 ... in their order, and
// the history tokens of a moved condition follow it.

#include "settings/ini_file.h"

namespace plimod {

// Renumbers, prunes the history and saves the settings; false when the
// save failed. Reads the EPG store: the caller holds EpgBusyFlag.
[[nodiscard]] bool RenumberAutoReserveConditions(IniFile& settings);

}  // namespace plimod
