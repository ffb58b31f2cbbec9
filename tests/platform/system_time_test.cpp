#include "platform/system_time.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fixed_clock.h"

namespace plimod {
namespace {

using test::TimeOf;

TEST(SystemTime, TicksMatchTheWindowsEpochs) {
  EXPECT_EQ(SystemTimeToTicks(TimeOf(1601, 1, 1)), 0);
  // The Unix epoch in FILETIME units.
  EXPECT_EQ(SystemTimeToTicks(TimeOf(1970, 1, 1)), 116444736000000000LL);
  EXPECT_EQ(SystemTimeToTicks(TimeOf(2024, 2, 29, 23, 59, 58, 999)),
            SystemTimeToTicks(TimeOf(2024, 3, 1)).value() - 1001 * kTicksPerMs);
}

TEST(SystemTime, InvalidFieldsFail) {
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(2023, 2, 29)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(1900, 2, 29)));
  EXPECT_TRUE(SystemTimeToTicks(TimeOf(2000, 2, 29)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(2024, 13, 1)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(2024, 4, 31)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(2024, 1, 0)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(2024, 1, 1, 24)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(2024, 1, 1, 0, 60)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(2024, 1, 1, 0, 0, 60)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(2024, 1, 1, 0, 0, 0, 1000)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(1600, 12, 31)));
  EXPECT_FALSE(SystemTimeToTicks(TimeOf(30828, 1, 1)));
}

TEST(SystemTime, RoundTripFillsDayOfWeek) {
  for (const SystemTime& t : {TimeOf(1601, 1, 1), TimeOf(2000, 2, 29, 12, 34, 56, 789),
                              TimeOf(2024, 12, 31, 23, 59, 59, 999), TimeOf(30827, 12, 31, 23, 59)}) {
    const auto ticks = SystemTimeToTicks(t);
    ASSERT_TRUE(ticks);
    const auto back = TicksToSystemTime(*ticks);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->wYear, t.wYear);
    EXPECT_EQ(back->wMonth, t.wMonth);
    EXPECT_EQ(back->wDay, t.wDay);
    EXPECT_EQ(back->wHour, t.wHour);
    EXPECT_EQ(back->wMinute, t.wMinute);
    EXPECT_EQ(back->wSecond, t.wSecond);
    EXPECT_EQ(back->wMilliseconds, t.wMilliseconds);
    EXPECT_EQ(back->wDayOfWeek, DayOfWeek(t.wYear, t.wMonth, t.wDay));
  }
  EXPECT_FALSE(TicksToSystemTime(-1));
  EXPECT_FALSE(TicksToSystemTime(SystemTimeToTicks(TimeOf(30827, 12, 31)).value() + kTicksPerDay));
}

TEST(SystemTime, DayOfWeek) {
  EXPECT_EQ(DayOfWeek(1601, 1, 1), 1);  // Monday
  EXPECT_EQ(DayOfWeek(1970, 1, 1), 4);  // Thursday
  EXPECT_EQ(DayOfWeek(2024, 2, 29), 4);
  EXPECT_EQ(DayOfWeek(2025, 1, 5), 0);  // Sunday
}

TEST(SystemTime, ClockAndSleeperCanBeReplaced) {
  SetClockForTesting([] { return TimeOf(2030, 5, 6, 7, 8, 9); });
  EXPECT_EQ(LocalNow().wYear, 2030);
  EXPECT_EQ(LocalNowTicks(), SystemTimeToTicks(TimeOf(2030, 5, 6, 7, 8, 9)));
  SetClockForTesting(nullptr);
  EXPECT_GE(LocalNow().wYear, 2024);
  EXPECT_TRUE(IsValidSystemTime(LocalNow()));

  std::vector<std::uint32_t> slept;
  SetSleeperForTesting([&](std::uint32_t ms) { slept.push_back(ms); });
  SleepMs(60'000);
  SetSleeperForTesting(nullptr);
  EXPECT_EQ(slept, std::vector<std::uint32_t>{60'000});
}

}  // namespace
}  // namespace plimod
