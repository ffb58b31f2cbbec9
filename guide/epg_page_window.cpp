#include "guide/epg_page_window.h"

#include "guide/grid_layout.h"
#include "guide/page_days.h"

namespace plimod {

namespace {

// Day list and minute of the event before any cut.
struct Position {
  std::time_t day = 0;
  int start = 0;
  std::int64_t seconds = 0;  // length
};

Position ListPosition(const EpgEvent& event, const EpgPageWindow& window) {
  Position at;
  at.day = DayOfDate(event.start);
  at.start = StartMinuteOf(event);
  // A start with seconds is drawn at its minute and keeps its end.
  at.seconds = static_cast<std::int64_t>(event.durationSeconds) + event.start.wSecond;
  if (window.mode == PageMode::kEpg) {
    const int later = DaysFrom(window.base, at.day);
    if (later > 0) {
      at.day = window.base;
      at.start += kDayMinutes * later;
    }
  } else if (at.start < kBroadcastDayStart) {
    at.day = AddDays(at.day, -1);
    at.start += kDayMinutes;
  }
  return at;
}

int EndMinute(const Position& at) { return at.start + static_cast<int>(at.seconds / 60); }

// Moves an event that runs into the window from above to its top.
bool CutAtTop(Position& at, EpgEvent& cell, const EpgPageWindow& window) {
  const int fromBase = DaysFrom(window.base, at.day);
  int top = 0;  // the window's top in minutes of the event's own day
  if (fromBase == 0 && at.start < window.first && EndMinute(at) > window.first) {
    top = window.first;
  } else if (fromBase == -1 && EndMinute(at) > kBroadcastDayEnd && EndMinute(at) > window.first + kDayMinutes) {
    top = window.first + kDayMinutes;
  } else {
    return false;
  }
  const int realStart = at.start < kBroadcastDayStart ? at.start + kDayMinutes : at.start;
  cell.displayStartMinutes = static_cast<std::uint32_t>(realStart);
  cell.displayFlags |= kCellCutAtTop;
  at.seconds -= static_cast<std::int64_t>(top - at.start) * 60;
  at.day = window.base;
  at.start = window.first;
  return true;
}

bool InWindow(const Position& at, const EpgPageWindow& window) {
  const int fromBase = DaysFrom(window.base, at.day);
  if (window.mode == PageMode::kEpg) {
    return fromBase >= 0 && fromBase < 3 && at.start >= window.first && at.start < window.last;
  }
  return fromBase >= 0 && fromBase < window.days;
}

void Keep(std::vector<PlacedCell>& placed, const EpgEvent& cell, const Position& at,
          const EpgPageWindow& window) {
  if (!InWindow(at, window)) return;
  PlacedCell copy{cell, at.day, at.start};
  copy.cell.durationSeconds = static_cast<std::uint32_t>(at.seconds > 0 ? at.seconds : 0);
  placed.push_back(std::move(copy));
}

}  // namespace

EpgPageWindow MakeEpgPageWindow(const PageView& view) {
  EpgPageWindow window;
  window.mode = view.mode;
  window.base = view.baseDay;
  if (view.mode == PageMode::kEpg) {
    window.first = view.hour * 60;
    window.last = (view.hour + view.state.range) * 60;
  } else {
    window.days = view.state.range;
  }
  return window;
}

std::vector<PlacedCell> PlaceEvent(const EpgEvent& event, const EpgPageWindow& window) {
  std::vector<PlacedCell> placed;
  EpgEvent cell = event;
  cell.columnSpan = 1;
  cell.displayFlags = 0;
  cell.conditionNumber = 0;
  cell.displayStartMinutes = 0;
  Position at = ListPosition(event, window);
  CutAtTop(at, cell, window);
  Keep(placed, cell, at, window);

  // The per-station view continues a programme past 29:00 at 05:00 of the
  // next day's column.
  if (window.mode == PageMode::kStation && EndMinute(at) > kBroadcastDayEnd) {
    EpgEvent rest = cell;
    rest.displayFlags |= kCellCutAtTop;
    if ((cell.displayFlags & kCellCutAtTop) == 0) rest.displayStartMinutes = static_cast<std::uint32_t>(at.start);
    Position next;
    next.day = AddDays(at.day, 1);
    next.start = kBroadcastDayStart;
    next.seconds = at.seconds - static_cast<std::int64_t>(kBroadcastDayEnd - at.start) * 60;
    Keep(placed, rest, next, window);
  }
  return placed;
}

}  // namespace plimod
