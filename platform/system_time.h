#pragma once
// Wall-clock time as the program handles it: a record of local calendar
// fields and 64-bit ticks of 100 ns since 1601-01-01 00:00, both naive local
// time (no time-zone conversion happens here). "Now" and sleeping go through
// replaceable hooks so tests of long waits run instantly.

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>

namespace plimod {

struct SystemTime {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;      // 1-12
  std::uint16_t wDayOfWeek = 0;  // 0 = Sunday; ignored on input
  std::uint16_t wDay = 0;        // 1-31
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;
};

inline constexpr std::int64_t kTicksPerMs = 10'000;
inline constexpr std::int64_t kTicksPerSecond = 1'000 * kTicksPerMs;
inline constexpr std::int64_t kTicksPerMinute = 60 * kTicksPerSecond;
inline constexpr std::int64_t kTicksPerHour = 60 * kTicksPerMinute;
inline constexpr std::int64_t kTicksPerDay = 24 * kTicksPerHour;
// 1601-01-01 to 1970-01-01, the start of time_t.
inline constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

// Years 1601-30827, a real calendar date, hour < 24, minute/second < 60,
// milliseconds < 1000. The day of week is not checked.
bool IsValidSystemTime(const SystemTime& t);
// Day of week (0 = Sunday) of a proleptic Gregorian date.
int DayOfWeek(int year, int month, int day);
// Ticks of the fields; nullopt when they are not valid.
std::optional<std::int64_t> SystemTimeToTicks(const SystemTime& t);
// Fields (day of week filled in) of non-negative ticks up to the end of
// year 30827; nullopt otherwise.
std::optional<SystemTime> TicksToSystemTime(std::int64_t ticks);

// Fields of a time_t in the host's time zone (a leap second reads as :59).
SystemTime LocalSystemTime(std::time_t seconds, int milliseconds);

// The host's local time now (through the clock hook).
SystemTime LocalNow();
std::int64_t LocalNowTicks();
// Replaces the clock; an empty function restores the real one.
void SetClockForTesting(std::function<SystemTime()> clock);

// Sleeps through the sleeper hook (real sleep by default).
void SleepMs(std::uint32_t ms);
// One sleep of at most `ms` that ends as soon as `ready` gives true (looked
// at every millisecond); a sleeper hook, when set, sleeps the whole `ms`.
// For polls whose bound counts in whole sleeps but that should not wait
// longer than what they wait for.
void SleepMsUnless(std::uint32_t ms, const std::function<bool()>& ready);
// Replaces the sleeper; an empty function restores the real one.
void SetSleeperForTesting(std::function<void(std::uint32_t)> sleeper);

// Milliseconds of a monotonic clock, for measuring intervals.
std::uint64_t MonotonicMs();

}  // namespace plimod
