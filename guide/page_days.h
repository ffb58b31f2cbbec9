#pragma once
// Days of the programme table as local-midnight time values, and the start
// fields of an event placed in a day list (hour 24 and later stay as they
// are, so minutes past 1440 belong to the next calendar day).

#include <ctime>

#include "epg/epg_event.h"
#include "platform/system_time.h"

namespace plimod {

inline constexpr int kDayMinutes = 1440;

// Local midnight of the time's date.
std::time_t DayOfDate(const SystemTime& time);
// Local midnight `days` calendar days later (or earlier).
std::time_t AddDays(std::time_t day, int days);
// Calendar days from `from` to `to` (negative when `to` is earlier).
int DaysFrom(std::time_t from, std::time_t to);

// Gives the event the date of `day` and the start `minute` of that day
// (hour = minute / 60, may be 24 or more); seconds become 0.
void SetListStart(EpgEvent& event, std::time_t day, int minute);

// The calendar time of a list start (hour 24 and later is the next day).
SystemTime CalendarTimeOf(const SystemTime& listStart);

}  // namespace plimod
