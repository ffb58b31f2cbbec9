#include "services/syoboi_schedule.h"

namespace plimod {

// The calendar client is not built yet: the schedule stays empty and its
// timers stay off.
void RefreshSyoboiPrograms() {}
bool SyoboiProgramMapEmpty() { return true; }
void SetSyoboiLoadTimer() {}
int ArmSyoboiUploadTimer() { return 0; }

}  // namespace plimod
