#include "recorder/recorder_mode.h"

namespace plimod {

// No recorder link yet: no tuners to find.
void DetectTuners(IniFile&) {}

}  // namespace plimod
