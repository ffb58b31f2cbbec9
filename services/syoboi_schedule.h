#pragma once
// The user's broadcast schedule from the calendar service, and the two
// timers of the calendar work: 200 (daily load) and 400 (delayed upload).

namespace plimod {

inline constexpr unsigned kSyoboiLoadTimer = 200;
inline constexpr unsigned kSyoboiUploadTimer = 400;

void RefreshSyoboiPrograms();
bool SyoboiProgramMapEmpty();
void SetSyoboiLoadTimer();
// The timer's result, 0 when it was not armed.
int ArmSyoboiUploadTimer();

}  // namespace plimod
