#pragma once
// The reservation page of one programme (cmd=edc): the form, the one-click
// and silent adds from the programme table's and the mobile pages' links,
// and, for a programme already reserved, the enable/disable toggle of a
// pattern with USE_INVALID or the removal on a second quick click.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Always 1: every answer is the page's own.
int ServeReserveAddPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
