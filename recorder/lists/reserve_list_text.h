#pragma once
// The reservation lists of the text-file recorder: one entry per
// reservation line, in file order, and the program's own collision test
// through the tuner slots.

#include <string>

#include "recorder/lists/reserve_lists.h"
#include "recorder/lists/tuner_slots.h"

namespace plimod {

// Adds the reservations of a reservation text (code page 932) to `lists`.
// A line whose start is no real date (month 13, day 0, hour 25) is skipped;
// returns how many were.
int AddTextReservations(ReserveLists& lists, const std::string& text, const TunerCounts& counts);

}  // namespace plimod
