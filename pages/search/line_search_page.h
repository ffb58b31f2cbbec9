#pragma once
// `cmd=linesrch`: a one-off keyword search. The condition lives in a
// document of the request's own and is never saved; the form echoes it and
// the hits below are coloured by their reservation.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Reads the EPG store: the caller holds EpgBusyFlag. Returns 1 (nothing
// saved).
int ServeLineSearchPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
