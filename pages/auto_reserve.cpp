#include "pages/auto_reserve.h"

namespace plimod {

// Automatic reservation is not built yet.
void RunAutoReserve(IniFile&) {}

}  // namespace plimod
