#pragma once
// The layout arithmetic of the programme table: how events of one day list
// are ordered, how many of them overlap (the columns of a cell group), which
// sub-channel is free, and the adaptive row grid of each hour.
//
// Inside a day list every event's start carries the list's date; its hour
// may be 24 or more, and minutes are counted from that date's midnight.

#include <array>
#include <cstdint>
#include <ctime>
#include <list>
#include <map>

#include "epg/epg_event.h"

namespace plimod {

// The events of one day, sorted by start (CompareEventStart).
using DayEventList = std::list<EpgEvent>;
using DayEventIterator = DayEventList::const_iterator;

// Row step in minutes of each clock hour (index = hour mod 24); always a
// divisor of 60.
using RowSteps = std::array<int, 24>;
// Row steps of each day (local midnight) of one page.
using RowGridMap = std::map<std::time_t, RowSteps>;

// True when `a` starts before `b` by date and minute (day of week, seconds
// and milliseconds do not count); equal starts give false.
bool CompareEventStart(const EpgEvent& a, const EpgEvent& b);

// Start minute of a day-list event (hour x 60 + minute).
int StartMinuteOf(const EpgEvent& event);
// Length in whole minutes.
int DurationMinutesOf(const EpgEvent& event);

// How many events from `first` on run at minute `a`. An event may be read
// as belonging to the day before or after (start -1440 or +1440) when that
// makes it cover `a`.
int CountOverlaps(DayEventIterator first, DayEventIterator end, int a);

// The overlap group that starts at `first`, seen from minute `a`: its span
// from `a` to its end in minutes and its greatest number of events running
// at once. False (outputs untouched) when the first event starts after `a`
// or there is none. `day` is the list's local midnight: events dated later
// count 1440 minutes per day.
bool MaxOverlap(DayEventIterator first, DayEventIterator end, int a, int& span, int& columns,
                std::time_t day);

// True when the service has no event list in EpgEventIndex, or one of its
// titled events runs at the start of `event` (compared as calendar times).
bool ServiceBusyAt(const EpgEvent& event, std::uint64_t serviceKey);

// Makes the row step of `hour` (mod 24) of `day` fine enough for a row
// boundary at `minute`: the greatest common divisor of 60 and every minute
// registered in that hour. A new day starts with 60 in every hour.
void RegisterGridTime(RowGridMap& grids, std::time_t day, int hour, int minute);

// The number of grid rows the span [start, start + length) minutes covers.
int CountGridRows(const RowSteps& steps, int start, int length);

}  // namespace plimod
