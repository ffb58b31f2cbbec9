#pragma once
// Default titles of reservations.

#include <string>

#include "epg/epg_event.h"

namespace plimod {

// The event's title, a blank and its short text (its extended text when the
// short text is empty), without control characters, cut to 40 characters.
std::wstring MakeReservationTitle(const EpgEvent& event);

}  // namespace plimod
