#pragma once
// Rebuilding the reservation lists from the recorder in use.

#include "recorder/lists/reserve_lists.h"
#include "settings/ini_file.h"

namespace plimod {

// Builds the lists anew from the reservation server (its mode) or from the
// text-file recorder's reservation text, on the caller's thread, publishes
// them (unless a load begun later already has) and returns them. Pages
// read the kept list instead (recorder/lists/reserve_list_keep.h).
// A recorder that cannot be reached, or a Program.txt that cannot be found
// or read, is a failed load: the list as last loaded stays (see
// EndReserveListLoad), and only the first load since start gives what the
// recorder gave, empty lists. A failed load from the server is logged once,
// and again only after a load has gone through.
ReserveSnapshot LoadReserveList(const IniFile& settings);

}  // namespace plimod
