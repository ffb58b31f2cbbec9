#pragma once
// The reservation list page (`epgtimer`): the recorder's reservations and
// recording results as one table, with a confirmed two-step delete and
// (reservation server only) disable of the checked rows.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

int ServeReserveListPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
