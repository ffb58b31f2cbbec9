#include "decoder/si_time.h"

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

bool JapanTimeToLocal(const uint8_t* field, DecoderSystemTime& local) {
  int64_t unix_seconds = 0;
  if (!JapanTimeToUnix(field, unix_seconds)) return false;
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
