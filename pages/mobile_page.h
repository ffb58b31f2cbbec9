#pragma once
// The small pages for telephones under "/m/": a numbered menu, the
// programme table and search hits, a one-off search, programme details and
// the reservation list. They run on the HTTP listening thread beside the
// page worker, so they never take the busy flag: they read the EPG store
// under its shared lock, the reservation lists and the calendar schedule
// through snapshots, and mark only their own copies of events.

#include "server/reply_writer.h"

namespace plimod {

// Writes the mobile page the current request asks for. Always 0.
int ServeMobilePage(ReplyWriter& out);

}  // namespace plimod
