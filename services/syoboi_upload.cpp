#include "services/syoboi_upload.h"

#include "util/log.h"

namespace plimod {

// The calendar upload is not built yet: the armed timer only leaves a trace.
void UploadSyoboiReserves(IniFile&, int) { LogWriteNoPost("syobocal upload skipped: not available yet\n"); }

}  // namespace plimod
