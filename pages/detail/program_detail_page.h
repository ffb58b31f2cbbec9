#pragma once
// One programme of the EPG store, chosen by `sid` and `eid`; `pd` picks the
// reply: the full page (none or unknown), the fragments of the programme
// table's pop-ups ("detail", "explan"), the iEPG downloads ("iepg",
// "depg") and the host exports ("iepgh", "depgh"), which write a file on
// the host and open it there, so they are refused from foreign pages.

#include <cstdint>

#include "server/reply_writer.h"
#include "server/request_parameters.h"

namespace plimod {

// Writes nothing when the programme is not in the store. Reads the store:
// the caller holds EpgBusyFlag. Returns 1.
int ServeProgramDetailPage(ReplyWriter& out, RequestParameters& params, std::uint64_t serviceKey,
                           std::uint32_t eventId);

}  // namespace plimod
