#pragma once
// The recorder status page (`edcb`): the running recorder instances with a
// switch for their UDP output, the next reservations and the free space of
// the recording folders.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

int ServeEpgDataCapStatusPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
