// Broadcast start times become the host's wall-clock fields exactly as the
// C library's localtime_r gives them, in zones with and without changes of
// offset (the decoder works them out per day to spare the zone lookups).

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>

#include "decoder/si_time.h"

namespace decoder_test {
namespace {

constexpr int64_t kJapanOffset = 9 * 3600;

uint8_t Bcd(int v) { return static_cast<uint8_t>((v / 10) << 4 | (v % 10)); }

// The 5-byte start field (MJD, then BCD hour, minute, second, Japan time).
void StartField(int64_t unix_seconds, uint8_t field[5]) {
  const int64_t japan = unix_seconds + kJapanOffset;
  const int64_t mjd = japan / 86400 + 40587;
  const int64_t seconds = japan % 86400;
  field[0] = static_cast<uint8_t>(mjd >> 8);
  field[1] = static_cast<uint8_t>(mjd);
  field[2] = Bcd(static_cast<int>(seconds / 3600));
  field[3] = Bcd(static_cast<int>(seconds / 60 % 60));
  field[4] = Bcd(static_cast<int>(seconds % 60));
}

class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    setenv("TZ", saved_.c_str(), 1);
    tzset();
  }

 private:
  std::string saved_ = "Asia/Tokyo";
};

TEST(SiTime, LocalStartsMatchLocaltimeAcrossOffsetChanges) {
  for (const char* zone : {"Asia/Tokyo", "UTC", "America/New_York", "Australia/Lord_Howe",
                           "Asia/Kathmandu"}) {
    ZoneScope scope(zone);
    // 2024-01-01 to 2025-01-01 Japan time in steps of 47 minutes 13 seconds.
    for (int64_t t = 1704034800; t < 1735657200; t += 47 * 60 + 13) {
      uint8_t field[5];
      StartField(t, field);
      DecoderSystemTime got{};
      ASSERT_TRUE(epgdec::JapanTimeToLocal(field, got));
      const time_t plain = static_cast<time_t>(t);
      struct tm want {};
      ASSERT_NE(localtime_r(&plain, &want), nullptr);
      ASSERT_EQ(std::make_tuple(int{got.year}, int{got.month}, int{got.day}, int{got.day_of_week},
                                int{got.hour}, int{got.minute}, int{got.second}),
                std::make_tuple(want.tm_year + 1900, want.tm_mon + 1, want.tm_mday, want.tm_wday,
                                want.tm_hour, want.tm_min, want.tm_sec))
          << zone << " at " << t;
    }
  }
}

}  // namespace
}  // namespace decoder_test
