#include <gtest/gtest.h>

#include "guide/civil_time.h"
#include "guide_fixture.h"

namespace plimod::test {
namespace {

std::int64_t TicksOf(const SystemTime& t) { return SystemTimeToTicks(t).value(); }

TEST(AddSecondsTest, AgreesWithTheCalendarConversionAndNormalisesLateHours) {
  SystemTime t = At(2025, 2, 28, 23, 30);
  const std::int64_t ticks = AddSecondsToSystemTime(t, 3600);
  EXPECT_EQ(ticks, TicksOf(At(2025, 3, 1, 0, 30)));
  EXPECT_EQ(t.wMonth, 3);
  EXPECT_EQ(t.wDay, 1);
  EXPECT_EQ(t.wHour, 0);
  EXPECT_EQ(t.wDayOfWeek, 6);  // Saturday, filled in

  // Day-list times carry hours past 24: 26:15 on 31 Dec is 02:15 on 1 Jan.
  SystemTime late = At(2024, 12, 31, 26, 15);
  EXPECT_EQ(AddSecondsToSystemTime(late, 0), TicksOf(At(2025, 1, 1, 2, 15)));
  EXPECT_EQ(late.wYear, 2025);
  EXPECT_EQ(late.wHour, 2);
}

TEST(AddSecondsTest, LeapDaysAndNegativeSteps) {
  SystemTime t = At(2024, 3, 1, 0, 0);
  AddSecondsToSystemTime(t, -1);
  EXPECT_EQ(t.wMonth, 2);
  EXPECT_EQ(t.wDay, 29);
  EXPECT_EQ(t.wSecond, 59);
  SystemTime century = At(2100, 2, 28, 12, 0);
  AddSecondsToSystemTime(century, 86400);
  EXPECT_EQ(century.wMonth, 3);  // 2100 is not a leap year
  EXPECT_EQ(century.wDay, 1);
  SystemTime first = At(1601, 1, 1, 0, 0);
  EXPECT_EQ(AddSecondsToSystemTime(first, 0), 0);
  EXPECT_EQ(AddSecondsToSystemTime(first, -1), -kTicksPerSecond);
  EXPECT_EQ(first.wYear, 1601);  // a result before 1601 leaves the fields alone
}

TEST(CivilDayTest, DateNumbersAndBroadcastDays) {
  const std::time_t midnight = LocalMidnight(2079, 12, 30);
  EXPECT_EQ(DateNumberAfterDays(midnight, 1), 20791231);
  EXPECT_EQ(DateNumberAfterDays(midnight, 2), 20800101);
  EXPECT_EQ(DateNumberAfterDays(LocalMidnight(2025, 2, 31), 0), 20250303);
  EXPECT_EQ(DateNumberAfterDays(BroadcastDayOf(At(2025, 3, 1, 4, 59)), 0), 20250228);
  EXPECT_EQ(DateNumberAfterDays(BroadcastDayOf(At(2025, 3, 1, 5, 0)), 0), 20250301);
  EXPECT_EQ(DateNumberAfterDays(BroadcastDayOf(At(2025, 1, 1, 0, 10)), 0), 20241231);
}

}  // namespace
}  // namespace plimod::test
