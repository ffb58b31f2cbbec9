#pragma once
// The programme table (mode "epg"), the per-station view (mode "station")
// and the search-hit grid (any other mode).

#include "guide/page_state.h"
#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Writes the whole reply: "Content-Type: text/html; charset=utf-8\n", the
// view's cookie line, "\n", then the page. Always 0.
int ServeEpgPage(ReplyWriter& out, RequestParameters& params, IniFile& settings, const PageView& view);

}  // namespace plimod
