#include "services/recording_alert.h"

namespace plimod {

// The recording alert is not built yet: no watcher ever runs.
void ConfigureEdcbAlert() {}
bool StopRecordingFolderWatch() { return false; }

}  // namespace plimod
