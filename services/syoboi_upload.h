#pragma once
// Uploads the reservation list to the calendar service.

#include "settings/ini_file.h"

namespace plimod {

// `socket` is the page's client, or -1 for the timed upload (no reply).
void UploadSyoboiReserves(IniFile& settings, int socket);

}  // namespace plimod
