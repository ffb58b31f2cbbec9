#pragma once
// Calendar arithmetic on SystemTime fields and the local-midnight day
// values the programme table is organised by.

#include <cstdint>
#include <ctime>

#include "platform/system_time.h"

namespace plimod {

// Adds `seconds` to the time and writes the result back; returns it as
// 100-ns ticks since 1601. Pure calendar arithmetic on the fields (no time
// zone): an hour of 24 or more, a day past the month's end or a month past
// 12 roll over into the following days, months and years. A result before
// 1601 or after 30827 leaves the fields as they were.
std::int64_t AddSecondsToSystemTime(SystemTime& time, std::int64_t seconds);

// Days since 1601-01-01 of a date; months outside 1..12 carry into years
// and days outside the month count on from its first day.
std::int64_t CivilDayNumber(int year, int month, int day);

// Local midnight of the date, normalised as mktime does (day 31 of February
// is a day of March).
std::time_t LocalMidnight(int year, int month, int day);
// Local calendar fields of a time value.
std::tm LocalFields(std::time_t t);
// The instant of local calendar fields (the host's time zone applied, as
// mktime does); milliseconds are ignored.
std::time_t LocalTimeToTime(const SystemTime& time);
// "Now" from the program clock (platform/system_time.h), as a time value.
std::time_t NowTime();

// The broadcast day that `now` belongs to: local midnight of its date, or
// of the day before when it is earlier than 05:00.
std::time_t BroadcastDayOf(const SystemTime& now);

// The local date of t + days x 86400 s as yyyymmdd.
int DateNumberAfterDays(std::time_t t, int days);

}  // namespace plimod
