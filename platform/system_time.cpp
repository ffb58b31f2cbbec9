#include "platform/system_time.h"

#include <algorithm>

#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

namespace plimod {
namespace {

constexpr int kMinYear = 1601;
constexpr int kMaxYear = 30827;

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (month == 2 && IsLeapYear(year)) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 to the date (proleptic Gregorian calendar).
std::int64_t DaysFromEpoch(int year, int month, int day) {
  // Counting from March puts the leap day at the end of the year.
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = y / 400;  // y >= 1600 here, so no negative division
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t daysFrom0000_03_01 = era * 146097 + dayOfEra;
  constexpr std::int64_t k1601_01_01 = 1600 / 400 * 146097 + 306;  // 1601-01-01 from 0000-03-01
  return daysFrom0000_03_01 - k1601_01_01;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  const std::int64_t z = days + 1600 / 400 * 146097 + 306;
  const std::int64_t era = z / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

SystemTime RealLocalNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return LocalSystemTime(ts.tv_sec, static_cast<int>(ts.tv_nsec / 1'000'000));
}

struct Hooks {
  std::mutex mutex;
  std::function<SystemTime()> clock;
  std::function<void(std::uint32_t)> sleeper;
};

Hooks& TheHooks() {
  static Hooks hooks;
  return hooks;
}

}  // namespace

bool IsValidSystemTime(const SystemTime& t) {
  if (t.wYear < kMinYear || t.wYear > kMaxYear) return false;
  if (t.wMonth < 1 || t.wMonth > 12) return false;
  if (t.wDay < 1 || t.wDay > DaysInMonth(t.wYear, t.wMonth)) return false;
  return t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

int DayOfWeek(int year, int month, int day) {
  // 1601-01-01 was a Monday.
  const std::int64_t days = DaysFromEpoch(year, month, day);
  return static_cast<int>(((days % 7) + 7 + 1) % 7);
}

std::optional<std::int64_t> SystemTimeToTicks(const SystemTime& t) {
  if (!IsValidSystemTime(t)) return std::nullopt;
  const std::int64_t days = DaysFromEpoch(t.wYear, t.wMonth, t.wDay);
  return days * kTicksPerDay + t.wHour * kTicksPerHour + t.wMinute * kTicksPerMinute +
         t.wSecond * kTicksPerSecond + t.wMilliseconds * kTicksPerMs;
}

std::optional<SystemTime> TicksToSystemTime(std::int64_t ticks) {
  if (ticks < 0) return std::nullopt;
  const std::int64_t days = ticks / kTicksPerDay;
  std::int64_t rest = ticks % kTicksPerDay;
  int year = 0, month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  if (year > kMaxYear) return std::nullopt;
  SystemTime t;
  t.wYear = static_cast<std::uint16_t>(year);
  t.wMonth = static_cast<std::uint16_t>(month);
  t.wDay = static_cast<std::uint16_t>(day);
  t.wDayOfWeek = static_cast<std::uint16_t>((days + 1) % 7);
  t.wHour = static_cast<std::uint16_t>(rest / kTicksPerHour);
  rest %= kTicksPerHour;
  t.wMinute = static_cast<std::uint16_t>(rest / kTicksPerMinute);
  rest %= kTicksPerMinute;
  t.wSecond = static_cast<std::uint16_t>(rest / kTicksPerSecond);
  rest %= kTicksPerSecond;
  t.wMilliseconds = static_cast<std::uint16_t>(rest / kTicksPerMs);
  return t;
}

SystemTime LocalSystemTime(std::time_t seconds, int milliseconds) {
  tm local{};
  localtime_r(&seconds, &local);
  SystemTime t;
  t.wYear = static_cast<std::uint16_t>(local.tm_year + 1900);
  t.wMonth = static_cast<std::uint16_t>(local.tm_mon + 1);
  t.wDayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
  t.wDay = static_cast<std::uint16_t>(local.tm_mday);
  t.wHour = static_cast<std::uint16_t>(local.tm_hour);
  t.wMinute = static_cast<std::uint16_t>(local.tm_min);
  t.wSecond = static_cast<std::uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  t.wMilliseconds = static_cast<std::uint16_t>(milliseconds);
  return t;
}

SystemTime LocalNow() {
  std::function<SystemTime()> clock;
  {
    std::lock_guard lock(TheHooks().mutex);
    clock = TheHooks().clock;
  }
  return clock ? clock() : RealLocalNow();
}

std::int64_t LocalNowTicks() {
  return SystemTimeToTicks(LocalNow()).value_or(0);
}

void SetClockForTesting(std::function<SystemTime()> clock) {
  std::lock_guard lock(TheHooks().mutex);
  TheHooks().clock = std::move(clock);
}

void SleepMs(std::uint32_t ms) {
  std::function<void(std::uint32_t)> sleeper;
  {
    std::lock_guard lock(TheHooks().mutex);
    sleeper = TheHooks().sleeper;
  }
  if (sleeper) {
    sleeper(ms);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

void SleepMsUnless(std::uint32_t ms, const std::function<bool()>& ready) {
  std::function<void(std::uint32_t)> sleeper;
  {
    std::lock_guard lock(TheHooks().mutex);
    sleeper = TheHooks().sleeper;
  }
  if (sleeper) {
    sleeper(ms);
    return;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!ready()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        end - now, std::chrono::milliseconds(1)));
  }
}

void SetSleeperForTesting(std::function<void(std::uint32_t)> sleeper) {
  std::lock_guard lock(TheHooks().mutex);
  TheHooks().sleeper = std::move(sleeper);
}

std::uint64_t MonotonicMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace plimod
