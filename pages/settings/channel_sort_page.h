#pragma once
// The page that orders the shown channels of one band (`chsort`), kept in
// [VIEW] CHANNEL_LIST_TR, _BS and _CS as channel key texts joined by blanks.
//
// `st_band` names the band ("001", "010" or "100"); anything else shows CS
// and moves nothing. `st_sel` is the selected position, `st_dst` the
// insertion point of a move; a move outside the band is ignored. Reloading a
// move's address moves again, as every link of the page is a plain GET.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Always 1: the page is written after a move too.
int ServeChannelSortPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
