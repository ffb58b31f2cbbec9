#pragma once
// The mobile pages ServeMobilePage chooses between.

#include "pages/mobile/mobile_parts.h"

namespace plimod {

// c=e (one band in a three-hour window) and c=s (the day's search hits).
void MobileProgramTable(ReplyWriter& out, MobileRequest& request);
// c=w: a one-off keyword search.
void MobileSearchPage(ReplyWriter& out, MobileRequest& request);
// c=n: the reservation list, one reservation, or a deletion.
void MobileReserveList(ReplyWriter& out, MobileRequest& request);
// sid and eid: one programme's details.
void MobileProgramDetail(ReplyWriter& out, MobileRequest& request);

}  // namespace plimod
