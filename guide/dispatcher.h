#pragma once
// The root path's request handling on the request worker: the EPG store is
// taken for the request, and the `cmd` parameter chooses the page.
//
// Wiring at start-up: SetPageHandler(HandleRequest) (server/page_hooks.h),
// with the pages and jobs of guide/command_pages.h registered.

#include "server/reply_writer.h"

namespace plimod {

// Takes EpgBusyFlag (one try and up to 9 more, 100 ms apart; still held:
// a raw "HTTP/1.0 503 Service Unavailable" answer and 0), shows the busy
// tray state while DispatchRequest runs, and returns its result; a page
// that waits on a peer lets the flag go earlier (LetGoOfEpgBusyFlag,
// epg/epg_busy_flag.h). Reads the current request (server/request_context.h).
int HandleRequest(ReplyWriter& out);

// Runs the page of the current request's `cmd`, the programme detail page
// (`sid` and `eid`, or `xid`) or the programme table. Always 0; `restart`
// writes nothing.
int DispatchRequest(ReplyWriter& out);

}  // namespace plimod
