#pragma once
// The jobs that follow an EPG load: matching the calendar's schedule (while
// it is missing) and the automatic reservation. What they need from peers,
// the calendar service and the reservation server, is fetched first; the
// loads let EpgBusyFlag go meanwhile, but only when a peer is asked at all.

#include "recorder/lists/reserve_lists.h"
#include "services/syoboi_schedule.h"
#include "settings/ini_file.h"

namespace plimod {

struct AfterLoadFetch {
  bool calendar = false;  // the calendar's answer is to be applied
  SyoboiFetch syoboi;
  ReserveSnapshot autoReserve;  // null: the recorder link is off
};

// Whether fetching for the jobs asks a peer; `calendar`: the calendar's
// schedule is to be fetched.
bool AfterLoadAsksPeers(const IniFile& settings, bool calendar);
// Touches no EPG data.
AfterLoadFetch FetchAfterLoad(const IniFile& settings, bool calendar);
// With EpgBusyFlag held: the calendar's answer applied (when fetched), then
// the automatic reservation's search; its adds go to the sender, which
// sends them without the flag.
void RunAfterLoad(IniFile& settings, const AfterLoadFetch& fetch);

}  // namespace plimod
