#include "epg/mark_switch.h"

namespace plimod {

std::atomic<int> MarkSwitch{0};

}  // namespace plimod
