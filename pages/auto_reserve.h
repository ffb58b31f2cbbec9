#pragma once
// Automatic reservation from the saved search conditions.

#include "settings/ini_file.h"

namespace plimod {

void RunAutoReserve(IniFile& settings);

}  // namespace plimod
