#pragma once
// Local times built from their fields, and a clock that stands still.

#include "platform/system_time.h"

namespace plimod::test {

// The fields as written; the day of the week stays 0, as in a time filled
// in by hand, so code that must fill it in shows whether it does.
SystemTime TimeOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                  int millisecond = 0);
// The same time with its day of the week, as the system clock gives it.
SystemTime WithDayOfWeek(SystemTime time);

// LocalNow() answers `now` while this lives; the real clock after.
class FixedClock {
 public:
  explicit FixedClock(const SystemTime& now) { Set(now); }
  ~FixedClock() { SetClockForTesting(nullptr); }
  FixedClock(const FixedClock&) = delete;
  FixedClock& operator=(const FixedClock&) = delete;

  void Set(const SystemTime& now) {
    SetClockForTesting([now] { return now; });
  }
};

}  // namespace plimod::test
