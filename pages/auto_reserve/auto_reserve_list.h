#pragma once
// The list of the automatic reservation page: the conditions with their
// switches, then the programmes reserved automatically (the history), whose
// date links remove their history token.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Reads the EPG store: the caller holds EpgBusyFlag.
void WriteAutoReserveList(ReplyWriter& out, const RequestParameters& params, const IniFile& settings);

}  // namespace plimod
