#pragma once
// The page of one existing reservation (cmd=edc_edit), named by the edcid
// the reservation list links with: the reservation form filled from the
// recorder's reservation text, the save of that form, and (reservation
// server only) disabling the reservation. Saves and disabling need the
// request token; without it the reservation is shown again.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Always 1: every answer is the page's own.
int ServeReserveEditPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
