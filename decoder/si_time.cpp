#include "decoder/si_time.h"

#include <array>
#include <cstdlib>
#include <ctime>
#include <string>

namespace epgdec {
namespace {

constexpr int64_t kMjdOfUnixEpoch = 40587;
constexpr int64_t kJapanOffsetSeconds = 9 * 3600;

// Two BCD digits, or -1 when a nibble is not a decimal digit.
int Bcd(uint8_t value) {
  int high = value >> 4;
  int low = value & 0x0F;
  if (high > 9 || low > 9) return -1;
  return high * 10 + low;
}

bool BcdClock(const uint8_t* field, int max_hour, int& seconds) {
  int hour = Bcd(field[0]);
  int minute = Bcd(field[1]);
  int second = Bcd(field[2]);
  if (hour < 0 || hour > max_hour || minute < 0 || minute > 59 || second < 0 || second > 60) {
    return false;
  }
  seconds = hour * 3600 + minute * 60 + second;
  return true;
}

constexpr int64_t kDaySeconds = 86400;

// Civil date of a day count since 1970-01-01.
void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

// The host's offset from UTC over one whole UTC day, when it is the same at
// both ends of the day (no change of offset inside). localtime_r reads the
// zone's rules for every call, which made it a tenth of the decoding; the
// events of a load fall on a handful of days.
class DayOffsets {
 public:
  // Forgets the days when the zone setting changed since the last call.
  void FollowZone() {
    const char* tz = std::getenv("TZ");
    if ((tz != nullptr) != zone_set_ || (tz != nullptr && zone_ != tz)) {
      zone_set_ = tz != nullptr;
      zone_ = zone_set_ ? tz : "";
      known_.fill(Entry{});
    }
  }

  bool Fixed(int64_t utc_day, long& offset) {
    Entry& entry = known_[static_cast<size_t>(utc_day) % known_.size()];
    if (!entry.used || entry.day != utc_day) entry = Look(utc_day);
    offset = entry.offset;
    return entry.fixed;
  }

 private:
  struct Entry {
    bool used = false;
    bool fixed = false;
    int64_t day = 0;
    long offset = 0;
  };

  static Entry Look(int64_t utc_day) {
    Entry entry;
    entry.used = true;
    entry.day = utc_day;
    struct tm first {}, last {};
    const time_t start = static_cast<time_t>(utc_day * kDaySeconds);
    const time_t end = start + kDaySeconds - 1;
    if (localtime_r(&start, &first) == nullptr || localtime_r(&end, &last) == nullptr) return entry;
    entry.fixed = first.tm_gmtoff == last.tm_gmtoff;
    entry.offset = first.tm_gmtoff;
    return entry;
  }

  bool zone_set_ = false;
  std::string zone_;
  std::array<Entry, 16> known_{};
};

namespace {

DayOffsets& ThreadDayOffsets() {
  thread_local DayOffsets offsets;
  return offsets;
}

bool LocalFieldsOf(int64_t unix_seconds, DayOffsets& offsets, DecoderSystemTime& local) {
  const int64_t utc_day = unix_seconds >= 0 ? unix_seconds / kDaySeconds
                                            : (unix_seconds - kDaySeconds + 1) / kDaySeconds;
  long offset = 0;
  if (!offsets.Fixed(utc_day, offset)) return false;
  const int64_t shifted = unix_seconds + offset;
  const int64_t days = shifted >= 0 ? shifted / kDaySeconds : (shifted - kDaySeconds + 1) / kDaySeconds;
  const int64_t seconds = shifted - days * kDaySeconds;
  int year = 0, month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  local.year = static_cast<uint16_t>(year);
  local.month = static_cast<uint16_t>(month);
  local.day_of_week = static_cast<uint16_t>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  local.day = static_cast<uint16_t>(day);
  local.hour = static_cast<uint16_t>(seconds / 3600);
  local.minute = static_cast<uint16_t>(seconds / 60 % 60);
  local.second = static_cast<uint16_t>(seconds % 60);
  local.milliseconds = 0;
  return true;
}

}  // namespace

bool JapanTimeToUnix(const uint8_t* field, int64_t& unix_seconds) {
  bool undefined = true;
  for (int i = 0; i < 5; ++i) undefined = undefined && field[i] == 0xFF;
  if (undefined) return false;
  int seconds = 0;
  if (!BcdClock(field + 2, 23, seconds)) return false;
  int64_t mjd = (int64_t{field[0]} << 8) | field[1];
  unix_seconds = (mjd - kMjdOfUnixEpoch) * 86400 + seconds - kJapanOffsetSeconds;
  return true;
}

LocalTimeConverter::LocalTimeConverter() : offsets_(&ThreadDayOffsets()) {
  offsets_->FollowZone();
}

bool JapanTimeToLocal(const uint8_t* field, DecoderSystemTime& local) {
  return LocalTimeConverter().Convert(field, local);
}

bool LocalTimeConverter::Convert(const uint8_t* field, DecoderSystemTime& local) const {
  int64_t unix_seconds = 0;
  if (!JapanTimeToUnix(field, unix_seconds)) return false;
  if (LocalFieldsOf(unix_seconds, *offsets_, local)) return true;
  time_t t = static_cast<time_t>(unix_seconds);
  struct tm fields {};
  if (localtime_r(&t, &fields) == nullptr) return false;
  local.year = static_cast<uint16_t>(fields.tm_year + 1900);
  local.month = static_cast<uint16_t>(fields.tm_mon + 1);
  local.day_of_week = static_cast<uint16_t>(fields.tm_wday);
  local.day = static_cast<uint16_t>(fields.tm_mday);
  local.hour = static_cast<uint16_t>(fields.tm_hour);
  local.minute = static_cast<uint16_t>(fields.tm_min);
  local.second = static_cast<uint16_t>(fields.tm_sec);
  local.milliseconds = 0;
  return true;
}

uint32_t BcdDurationSeconds(const uint8_t* field) {
  int seconds = 0;
  if (!BcdClock(field, 99, seconds)) return 0;  // also covers the all-ones "undefined"
  return static_cast<uint32_t>(seconds);
}

}  // namespace epgdec
