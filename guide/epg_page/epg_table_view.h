#pragma once
// The day tables of the programme-table page: the title row (the date, or
// the channel strip of the per-station view), the column headers, and the
// rows of the adaptive grid with the hour labels and the cells.

#include "guide/epg_page/epg_page_cell.h"
#include "guide/epg_page/epg_page_layout.h"
#include "guide/page_state.h"
#include "server/reply_writer.h"
#include "server/request_parameters.h"

namespace plimod {

// One table per day from the base day to the last day that got a cell
// (modes "epg" and "station": the base day only).
void WriteEpgPageTables(ReplyWriter& out, const RequestParameters& params, const PageView& view,
                        const EpgPageLayout& layout, const EpgCellContext& context);

}  // namespace plimod
