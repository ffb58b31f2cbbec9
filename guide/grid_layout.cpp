#include "guide/grid_layout.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <queue>
#include <vector>

#include "epg/epg_index.h"
#include "guide/civil_time.h"

namespace plimod {

namespace {

constexpr int kDayMinutes = 1440;
constexpr int kRowSteps[] = {60, 30, 20, 15, 12, 10, 6, 5, 4, 3, 2};

int StepOfHour(const RowSteps& steps, int hour) {
  const int step = steps[static_cast<std::size_t>(((hour % 24) + 24) % 24)];
  return step > 0 ? step : 1;  // a zeroed grid must not divide by zero
}

std::int64_t DayNumberOf(std::time_t day) {
  const std::tm base = LocalFields(day);
  return CivilDayNumber(base.tm_year + 1900, base.tm_mon + 1, base.tm_mday);
}

// Whole days by which the event's date lies after the day numbered
// `dayNumber` (0 when not after).
int DaysAfter(const EpgEvent& event, std::int64_t dayNumber) {
  const std::int64_t diff =
      CivilDayNumber(event.start.wYear, event.start.wMonth, event.start.wDay) - dayNumber;
  return diff > 0 ? static_cast<int>(diff) : 0;
}

// The greatest CountOverlaps(first, end, x) over the minutes `points`, in
// one sweep: the events scanned for a minute are those before the first
// that starts after it, and among them those still running count. Where
// CountOverlaps would read an event as the day before or after (events
// more than a day apart) or the minutes fall back, the rest is counted
// one by one as CountOverlaps does.
int MostOverlaps(DayEventIterator first, DayEventIterator end, const std::vector<int>& points) {
  std::priority_queue<int, std::vector<int>, std::greater<int>> runningEnds;
  auto next = first;
  int earliestStart = std::numeric_limits<int>::max();
  int previous = std::numeric_limits<int>::min();
  int most = 0;
  std::size_t i = 0;
  for (; i < points.size(); ++i) {
    const int x = points[i];
    if (x < previous) break;
    previous = x;
    for (; next != end && StartMinuteOf(*next) <= x; ++next) {
      earliestStart = std::min(earliestStart, StartMinuteOf(*next));
      runningEnds.push(StartMinuteOf(*next) + DurationMinutesOf(*next));
    }
    if (next != first && x - earliestStart >= kDayMinutes) break;  // day after
    if (next != end && x < StartMinuteOf(*next) + DurationMinutesOf(*next) - kDayMinutes) {
      break;  // day before
    }
    while (!runningEnds.empty() && runningEnds.top() <= x) runningEnds.pop();
    most = std::max(most, static_cast<int>(runningEnds.size()));
  }
  for (; i < points.size(); ++i) most = std::max(most, CountOverlaps(first, end, points[i]));
  return most;
}

}  // namespace

bool CompareEventStart(const EpgEvent& a, const EpgEvent& b) {
  if (a.start.wYear != b.start.wYear) return a.start.wYear < b.start.wYear;
  if (a.start.wMonth != b.start.wMonth) return a.start.wMonth < b.start.wMonth;
  if (a.start.wDay != b.start.wDay) return a.start.wDay < b.start.wDay;
  return StartMinuteOf(a) < StartMinuteOf(b);
}

int StartMinuteOf(const EpgEvent& event) { return event.start.wHour * 60 + event.start.wMinute; }

int DurationMinutesOf(const EpgEvent& event) { return static_cast<int>(event.durationSeconds / 60); }

int CountOverlaps(DayEventIterator first, DayEventIterator end, int a) {
  int count = 0;
  for (auto it = first; it != end; ++it) {
    int s = StartMinuteOf(*it);
    const int d = DurationMinutesOf(*it);
    if (a < s && a < s + d - kDayMinutes) s -= kDayMinutes;  // read as the day before
    if (s > a) break;
    if (s < a) {
      if (a >= s + kDayMinutes && a < s + kDayMinutes + d) s += kDayMinutes;
      if (s < a && a < s + d) ++count;
    } else if (d > 0) {
      ++count;
    }
  }
  return count;
}

bool MaxOverlap(DayEventIterator first, DayEventIterator end, int a, int& span, int& columns,
                std::time_t day) {
  const std::int64_t dayNumber = DayNumberOf(day);
  int groupEnd = 0;
  bool started = false;
  std::vector<int> points;  // the group's starts, cut at a
  for (auto it = first; it != end; ++it) {
    int s = StartMinuteOf(*it) + kDayMinutes * DaysAfter(*it, dayNumber);
    int d = DurationMinutesOf(*it);
    if (s < a && a < s + d) {  // cut to start at a
      d -= a - s;
      s = a;
    }
    const int eventEnd = s + d;
    if (!started) {
      if (a < s) return false;
      groupEnd = eventEnd;
      started = true;
    } else {
      if (s >= groupEnd) break;
      groupEnd = std::max(groupEnd, eventEnd);
    }
    points.push_back(s);
  }
  if (!started) return false;
  span = groupEnd - a;
  columns = MostOverlaps(first, end, points);
  return true;
}

bool ServiceBusyAt(const EpgEvent& event, std::uint64_t serviceKey) {
  const auto list = EpgEventIndex->find(serviceKey);
  if (list == EpgEventIndex->end()) return true;
  SystemTime at = event.start;
  const std::int64_t t = AddSecondsToSystemTime(at, 0);
  for (const auto& [eventId, other] : list->second) {
    if (!other.HasText(EventText::kTitle)) continue;
    SystemTime start = other.start;
    const std::int64_t begin = AddSecondsToSystemTime(start, 0);
    const std::int64_t finish = begin + static_cast<std::int64_t>(other.durationSeconds) * kTicksPerSecond;
    if (begin <= t && t < finish) return true;
  }
  return false;
}

void RegisterGridTime(RowGridMap& grids, std::time_t day, int hour, int minute) {
  auto [slot, inserted] = grids.try_emplace(day);
  if (inserted) slot->second.fill(60);
  int& step = slot->second[static_cast<std::size_t>(((hour % 24) + 24) % 24)];
  int next = 1;
  for (int candidate : kRowSteps) {
    if (minute % candidate == 0 && step % candidate == 0) {
      next = candidate;
      break;
    }
  }
  step = next;
}

int CountGridRows(const RowSteps& steps, int start, int length) {
  const int firstHour = start / 60;
  if (firstHour == (start + length) / 60) return length / StepOfHour(steps, firstHour);
  const int firstPart = 60 - start % 60;
  int rows = firstPart / StepOfHour(steps, firstHour);
  int rest = length - firstPart;
  int hour = firstHour + 1;
  while (rest > 60) {
    rows += 60 / StepOfHour(steps, hour);
    ++hour;
    rest -= 60;
  }
  return rows + rest / StepOfHour(steps, hour);
}

}  // namespace plimod
