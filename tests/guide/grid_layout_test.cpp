#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "guide/civil_time.h"
#include "guide/grid_layout.h"
#include "guide_fixture.h"

namespace plimod::test {
namespace {

// A day-list event of 1 March 2025 at minute `start` (1440 and later keep
// the date with an hour of 24 or more).
EpgEvent Cell(int start, int minutes) {
  return MakeEvent(TrKey(0x400), 1, At(2025, 3, 1, start / 60, start % 60), minutes);
}

TEST(GridOrderTest, EqualStartsCompareFalseBothWays) {
  const EpgEvent a = Cell(600, 30);
  EpgEvent b = Cell(600, 60);
  b.start.wSecond = 30;  // seconds do not count
  EXPECT_FALSE(CompareEventStart(a, b));
  EXPECT_FALSE(CompareEventStart(b, a));
  EXPECT_TRUE(CompareEventStart(Cell(600, 30), Cell(1500, 30)));  // 25:00 is later than 10:00
  EXPECT_TRUE(CompareEventStart(Cell(1500, 30), MakeEvent(TrKey(1), 1, At(2025, 3, 2, 0, 0), 30)));
}

TEST(GridRowsTest, StepIsTheCommonDivisorOfTheRegisteredMinutes) {
  RowGridMap grids;
  const std::time_t day = LocalMidnight(2025, 3, 1);
  RegisterGridTime(grids, day, 20, 0);
  EXPECT_EQ(grids[day][20], 60);
  EXPECT_EQ(grids[day][21], 60);
  RegisterGridTime(grids, day, 20, 30);
  EXPECT_EQ(grids[day][20], 30);
  RegisterGridTime(grids, day, 20, 10);
  EXPECT_EQ(grids[day][20], 10);
  RegisterGridTime(grids, day, 26, 7);  // 26:07 is the slot of 02:00
  EXPECT_EQ(grids[day][2], 1);
  RegisterGridTime(grids, day, 21, 45);
  RegisterGridTime(grids, day, 21, 40);
  EXPECT_EQ(grids[day][21], 5);
}

TEST(GridRowsTest, RowsOfASpan) {
  RowSteps steps;
  steps.fill(60);
  steps[5] = 30;
  EXPECT_EQ(CountGridRows(steps, 5 * 60 + 30, 90), 2);  // 1 row of hour 5, 1 of hour 6
  EXPECT_EQ(CountGridRows(steps, 5 * 60 + 30, 30), 1);  // ends on the hour
  EXPECT_EQ(CountGridRows(steps, 5 * 60, 30), 1);
  EXPECT_EQ(CountGridRows(steps, 5 * 60, 0), 0);
  EXPECT_EQ(CountGridRows(steps, 5 * 60, 180), 2 + 1 + 1);
  steps[1] = 15;  // 25:00 uses the slot of 01:00
  EXPECT_EQ(CountGridRows(steps, 24 * 60, 120), 1 + 4);
}

TEST(GridOverlapTest, OverlappingGroupSpansAndColumns) {
  const DayEventList list{Cell(20 * 60, 60), Cell(20 * 60 + 30, 60), Cell(21 * 60, 60)};
  const std::time_t day = LocalMidnight(2025, 3, 1);
  int span = 0, columns = 0;
  ASSERT_TRUE(MaxOverlap(list.begin(), list.end(), 20 * 60, span, columns, day));
  EXPECT_EQ(span, 120);
  EXPECT_EQ(columns, 2);
  EXPECT_FALSE(MaxOverlap(list.begin(), list.end(), 19 * 60, span, columns, day));

  // Back to back: each is a group of its own.
  const DayEventList chain{Cell(20 * 60, 30), Cell(20 * 60 + 30, 30)};
  ASSERT_TRUE(MaxOverlap(chain.begin(), chain.end(), 20 * 60, span, columns, day));
  EXPECT_EQ(span, 30);
  EXPECT_EQ(columns, 1);
}

TEST(GridOverlapTest, EventsCutAtTheTopAndDatedLater) {
  const std::time_t day = LocalMidnight(2025, 3, 1);
  int span = 0, columns = 0;
  // Seen from 20:00 an event 19:30-21:00 counts from 20:00.
  const DayEventList cut{Cell(19 * 60 + 30, 90), Cell(20 * 60 + 15, 30)};
  ASSERT_TRUE(MaxOverlap(cut.begin(), cut.end(), 20 * 60, span, columns, day));
  EXPECT_EQ(span, 60);
  EXPECT_EQ(columns, 2);
  // An event dated the next day at 01:00 counts as minute 1500.
  const DayEventList next{MakeEvent(TrKey(1), 1, At(2025, 3, 2, 1, 0), 30)};
  ASSERT_TRUE(MaxOverlap(next.begin(), next.end(), 1500, span, columns, day));
  EXPECT_EQ(span, 30);
  EXPECT_FALSE(MaxOverlap(next.begin(), next.end(), 60, span, columns, day));
}

// The columns of a group are the most events CountOverlaps finds at any of
// the group's starts (cut at the group's first minute); MaxOverlap counts
// them in one sweep, which must agree on lists with programmes past 29:00,
// longer than a day, dated a day later or out of order.
TEST(GridOverlapTest, ColumnsAgreeWithCountingAtEveryStartOfTheGroup) {
  const std::time_t day = LocalMidnight(2025, 3, 1);
  std::mt19937 random(42);
  for (int round = 0; round < 300; ++round) {
    std::vector<EpgEvent> cells;
    const int count = 1 + static_cast<int>(random() % 30);
    for (int i = 0; i < count; ++i) {
      const int start = 300 + static_cast<int>(random() % 1440);
      int minutes = static_cast<int>(random() % 180);
      if (random() % 20 == 0) minutes += 1440;
      cells.push_back(Cell(start, minutes));
      if (random() % 25 == 0) cells.back() = MakeEvent(TrKey(1), 1, At(2025, 3, 2, 1, 0), 60);
    }
    if (round % 3 != 0) std::stable_sort(cells.begin(), cells.end(), CompareEventStart);
    const DayEventList list(cells.begin(), cells.end());
    for (auto first = list.begin(); first != list.end(); ++first) {
      const int a = StartMinuteOf(*first);
      int span = 0, columns = 0;
      if (!MaxOverlap(first, list.end(), a, span, columns, day)) continue;
      // The group as MaxOverlap walks it, counted at each start.
      int most = 0, groupEnd = 0;
      for (auto it = first; it != list.end(); ++it) {
        int s = StartMinuteOf(*it) + (it->start.wDay == 2 ? 1440 : 0);
        int d = DurationMinutesOf(*it);
        if (s < a && a < s + d) {
          d -= a - s;
          s = a;
        }
        if (it != first && s >= groupEnd) break;
        groupEnd = it == first ? s + d : std::max(groupEnd, s + d);
        most = std::max(most, CountOverlaps(first, list.end(), s));
      }
      ASSERT_EQ(columns, most) << "round " << round;
    }
  }
}

TEST(GridOverlapTest, CountOverlapsRereadsAcrossMidnight) {
  // 23:30-00:30 stored at minute 1410 covers minute 10 of the same list as
  // the event of the day before; 00:10 stored as 10 covers minute 1460.
  const DayEventList late{Cell(1410, 60)};
  EXPECT_EQ(CountOverlaps(late.begin(), late.end(), 10), 1);
  EXPECT_EQ(CountOverlaps(late.begin(), late.end(), 1420), 1);
  EXPECT_EQ(CountOverlaps(late.begin(), late.end(), 1470), 0);
  const DayEventList early{Cell(10, 30)};
  EXPECT_EQ(CountOverlaps(early.begin(), early.end(), 1460), 1);
  EXPECT_EQ(CountOverlaps(early.begin(), early.end(), 1480), 0);
  // A zero-length event counts only at its own start.
  const DayEventList empty{Cell(600, 0)};
  EXPECT_EQ(CountOverlaps(empty.begin(), empty.end(), 600), 0);
  const DayEventList one{Cell(600, 1)};
  EXPECT_EQ(CountOverlaps(one.begin(), one.end(), 600), 1);
}

class ServiceBusyTest : public GuideFixture {};

TEST_F(ServiceBusyTest, BusyWhileATitledEventRuns) {
  const EpgEvent main = MakeEvent(TrKey(0x400), 1, At(2025, 3, 1, 20, 0), 60);
  EXPECT_TRUE(ServiceBusyAt(main, TrKey(0x401)));  // no event list at all
  AddEvent(MakeEvent(TrKey(0x401), 7, At(2025, 3, 1, 19, 0), 60));  // ends at 20:00
  EXPECT_FALSE(ServiceBusyAt(main, TrKey(0x401)));
  AddEvent(MakeEvent(TrKey(0x401), 8, At(2025, 3, 1, 20, 0), 30, L""));  // untitled
  EXPECT_FALSE(ServiceBusyAt(main, TrKey(0x401)));
  AddEvent(MakeEvent(TrKey(0x401), 9, At(2025, 3, 1, 19, 59), 30));
  EXPECT_TRUE(ServiceBusyAt(main, TrKey(0x401)));
  // A day-list start of 25:00 is 01:00 of the next day.
  const EpgEvent late = MakeEvent(TrKey(0x400), 2, At(2025, 3, 1, 25, 0), 30);
  AddEvent(MakeEvent(TrKey(0x402), 1, At(2025, 3, 2, 0, 30), 60));
  EXPECT_TRUE(ServiceBusyAt(late, TrKey(0x402)));
}

}  // namespace
}  // namespace plimod::test
