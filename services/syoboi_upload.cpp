#include "services/syoboi_upload.h"

namespace plimod {

// The calendar upload is not built yet.
void UploadSyoboiReserves(IniFile&, int) {}

}  // namespace plimod
