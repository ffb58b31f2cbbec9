#pragma once
// Which recorder the program works with, and its tuner counts.

#include "settings/ini_file.h"

namespace plimod {

void DetectTuners(IniFile& settings);

}  // namespace plimod
