#include "tests/support/fixed_clock.h"

#include <cstdint>

namespace plimod::test {

SystemTime TimeOf(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  SystemTime t;
  t.wYear = static_cast<std::uint16_t>(year);
  t.wMonth = static_cast<std::uint16_t>(month);
  t.wDay = static_cast<std::uint16_t>(day);
  t.wHour = static_cast<std::uint16_t>(hour);
  t.wMinute = static_cast<std::uint16_t>(minute);
  t.wSecond = static_cast<std::uint16_t>(second);
  t.wMilliseconds = static_cast<std::uint16_t>(millisecond);
  return t;
}

SystemTime WithDayOfWeek(SystemTime time) {
  time.wDayOfWeek = static_cast<std::uint16_t>(DayOfWeek(time.wYear, time.wMonth, time.wDay));
  return time;
}

}  // namespace plimod::test
