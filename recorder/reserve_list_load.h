#pragma once
// Rebuilding the reservation lists from the recorder in use.

#include "recorder/reserve_lists.h"
#include "settings/ini_file.h"

namespace plimod {

// Builds the lists anew from the reservation server (its mode) or from the
// text-file recorder's reservation text, publishes them and returns them.
// A recorder that cannot be reached, or text that cannot be found, gives
// empty lists.
ReserveSnapshot LoadReserveList(const IniFile& settings);

}  // namespace plimod
