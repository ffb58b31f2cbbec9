#include "guide/civil_time.h"

#include <array>
#include <cstdlib>
#include <string>
#include <tuple>

namespace plimod {

namespace {

constexpr int kDayStartHour = 5;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The zone conversions of a page, remembered per thread: a page asks for
// the same few days thousands of times and the C library re-reads the zone
// rules on every mktime. A change of TZ empties the memory.
class ZoneMemo {
 public:
  static ZoneMemo& OfThisThread() {
    thread_local ZoneMemo memo;
    memo.ForgetOnZoneChange();
    return memo;
  }

  std::time_t Midnight(int year, int month, int day) {
    const std::tuple<int, int, int> key{year, month, day};
    for (const Entry<std::tuple<int, int, int>, std::time_t>& entry : midnights_) {
      if (entry.used && entry.key == key) return entry.value;
    }
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_isdst = -1;
    const std::time_t value = std::mktime(&fields);
    midnights_[nextMidnight_++ % kEntries] = {true, key, value};
    return value;
  }

  std::tm Fields(std::time_t t) {
    for (const Entry<std::time_t, std::tm>& entry : fields_) {
      if (entry.used && entry.key == t) return entry.value;
    }
    std::tm value{};
    localtime_r(&t, &value);
    fields_[nextFields_++ % kEntries] = {true, t, value};
    return value;
  }

 private:
  static constexpr std::size_t kEntries = 16;
  template <typename Key, typename Value>
  struct Entry {
    bool used = false;
    Key key{};
    Value value{};
  };

  void ForgetOnZoneChange() {
    // The environment's strings are not changed in place, so the same
    // pointer means the same zone.
    const char* tz = std::getenv("TZ");
    if (tz == lastTz_ && checked_) return;
    lastTz_ = tz;
    checked_ = true;
    const bool set = tz != nullptr;
    if (set == zoneSet_ && (!set || zone_ == tz)) return;
    midnights_ = {};
    fields_ = {};
    zoneSet_ = set;
    zone_ = set ? tz : "";
  }

  std::array<Entry<std::tuple<int, int, int>, std::time_t>, kEntries> midnights_{};
  std::array<Entry<std::time_t, std::tm>, kEntries> fields_{};
  std::size_t nextMidnight_ = 0;
  std::size_t nextFields_ = 0;
  bool zoneSet_ = false;
  std::string zone_;
  const char* lastTz_ = nullptr;
  bool checked_ = false;
};

}  // namespace

std::int64_t CivilDayNumber(int year, int month, int day) {
  // Months carry into years first, then the usual days-from-civil count
  // with March as the first month of the year.
  std::int64_t y = year + FloorDiv(month - 1, 12);
  const std::int64_t m = month - 1 - 12 * FloorDiv(month - 1, 12) + 1;
  if (m <= 2) --y;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t daysFrom0000 = era * 146097 + doe;  // 0000-03-01 is day 0
  // 1601-01-01 counted the same way (1970-01-01 is 719468, 134774 days later).
  constexpr std::int64_t k1601 = 719468 - 134774;
  return daysFrom0000 - k1601 + (day - 1);
}

std::int64_t AddSecondsToSystemTime(SystemTime& time, std::int64_t seconds) {
  const std::int64_t ticks = CivilDayNumber(time.wYear, time.wMonth, time.wDay) * kTicksPerDay +
                             time.wHour * kTicksPerHour + time.wMinute * kTicksPerMinute +
                             time.wSecond * kTicksPerSecond + time.wMilliseconds * kTicksPerMs +
                             seconds * kTicksPerSecond;
  if (auto fields = TicksToSystemTime(ticks)) time = *fields;
  return ticks;
}

std::time_t LocalMidnight(int year, int month, int day) {
  return ZoneMemo::OfThisThread().Midnight(year, month, day);
}

std::tm LocalFields(std::time_t t) { return ZoneMemo::OfThisThread().Fields(t); }

std::time_t LocalTimeToTime(const SystemTime& time) {
  std::tm fields{};
  fields.tm_year = time.wYear - 1900;
  fields.tm_mon = time.wMonth - 1;
  fields.tm_mday = time.wDay;
  fields.tm_hour = time.wHour;
  fields.tm_min = time.wMinute;
  fields.tm_sec = time.wSecond;
  fields.tm_isdst = -1;
  return std::mktime(&fields);
}

std::time_t NowTime() { return LocalTimeToTime(LocalNow()); }

std::time_t BroadcastDayOf(const SystemTime& now) {
  const int back = now.wHour < kDayStartHour ? 1 : 0;
  return LocalMidnight(now.wYear, now.wMonth, now.wDay - back);
}

int DateNumberAfterDays(std::time_t t, int days) {
  const std::tm fields = LocalFields(t + static_cast<std::time_t>(days) * 86400);
  return 19000100 + fields.tm_year * 10000 + fields.tm_mon * 100 + fields.tm_mday;
}

}  // namespace plimod
