#pragma once
// The links at the top of the programme-table page: the views, the day and
// band steps, the ranges, the band filter, the detail and mark switches and
// the settings pages (and, in mode "epg", the navigation bar).

#include "guide/epg_page/epg_page_style.h"
#include "guide/page_state.h"
#include "server/reply_writer.h"
#include "server/request_parameters.h"

namespace plimod {

void WriteEpgPageTopLinks(ReplyWriter& out, const RequestParameters& params, const PageView& view,
                          const EpgPageSettings& page);

}  // namespace plimod
