#pragma once
// The row of links at the top of the recorder pages.

#include "server/reply_writer.h"
#include "server/request_parameters.h"

namespace plimod {

// Back to the view, then the status, reservation list and automatic
// reservation pages, each carrying the view's parameters.
void WriteEdcbNavLinks(ReplyWriter& out, const RequestParameters& params);

}  // namespace plimod
