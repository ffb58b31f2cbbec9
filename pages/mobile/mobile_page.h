#pragma once
// The small pages for telephones under "/m/": a numbered menu, the
// programme table and search hits, a one-off search, programme details and
// the reservation list. They run beside the page worker (on the HTTP
// listening thread, or on a worker of their own where they call the
// recorder), so they never take the busy flag: they read the EPG store
// under its shared lock, the reservation lists and the calendar schedule
// through snapshots, and mark only their own copies of events.

#include "server/reply_writer.h"

namespace plimod {

// Writes the mobile page the current request asks for. Always 0.
int ServeMobilePage(ReplyWriter& out);
// Whether that page reloads the reservation lists (or changes them), so it
// may wait on the recorder: the programme table, the search, the
// reservation list and, with the recorder link on, the programme details.
bool MobilePageLoadsReservations();

}  // namespace plimod
