#pragma once
// Connects the reservation lists to the programme table: its marks of
// reserved, disabled and unrecordable programmes.

#include <optional>

#include "epg/epg_event.h"
#include "guide/epg_page/epg_page_hooks.h"
#include "recorder/lists/reserve_lists.h"

namespace plimod {

// The mark of the event's reservation in `lists`; nothing when not reserved.
std::optional<PageReserveMark> PageReserveMarkOf(const ReserveLists& lists, const EpgEvent& event);

// Registers the look-up of the published lists with the programme table.
void ConnectReserveListMarks();

}  // namespace plimod
