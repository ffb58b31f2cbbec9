#include "guide/epg_page/epg_page_window.h"

#include "guide/civil_time.h"
#include "guide/grid_layout.h"
#include "guide/page_days.h"

namespace plimod {

namespace {

// Day list (in days from the base day) and minute of the event before any
// cut. Days are counted on the calendar, so most events (those outside the
// window) need no zone conversion at all.
struct Position {
  int fromBase = 0;
  int start = 0;
  std::int64_t seconds = 0;  // length
};

Position ListPosition(const EpgEvent& event, const EpgPageWindow& window) {
  Position at;
  at.fromBase = static_cast<int>(
      CivilDayNumber(event.start.wYear, event.start.wMonth, event.start.wDay) - window.baseDayNumber);
  at.start = StartMinuteOf(event);
  // A start with seconds is drawn at its minute and keeps its end.
  at.seconds = static_cast<std::int64_t>(event.durationSeconds) + event.start.wSecond;
  if (window.mode == PageMode::kEpg) {
    if (at.fromBase > 0) {
      at.start += kDayMinutes * at.fromBase;
      at.fromBase = 0;
    }
  } else if (at.start < kBroadcastDayStart) {
    at.fromBase -= 1;
    at.start += kDayMinutes;
  }
  return at;
}

int EndMinute(const Position& at) { return at.start + static_cast<int>(at.seconds / 60); }

// What a cell copy gets besides the event: its display flags and start.
struct CellMarks {
  std::uint32_t flags = 0;
  std::uint32_t displayStart = 0;
};

// Moves an event that runs into the window from above to its top.
bool CutAtTop(Position& at, CellMarks& marks, const EpgPageWindow& window) {
  const int fromBase = at.fromBase;
  int top = 0;  // the window's top in minutes of the event's own day
  if (fromBase == 0 && at.start < window.first && EndMinute(at) > window.first) {
    top = window.first;
  } else if (fromBase == -1 && EndMinute(at) > kBroadcastDayEnd && EndMinute(at) > window.first + kDayMinutes) {
    top = window.first + kDayMinutes;
  } else {
    return false;
  }
  const int realStart = at.start < kBroadcastDayStart ? at.start + kDayMinutes : at.start;
  marks.displayStart = static_cast<std::uint32_t>(realStart);
  marks.flags |= kCellCutAtTop;
  at.seconds -= static_cast<std::int64_t>(top - at.start) * 60;
  at.fromBase = 0;
  at.start = window.first;
  return true;
}

bool InWindow(const Position& at, const EpgPageWindow& window) {
  const int fromBase = at.fromBase;
  if (window.mode == PageMode::kEpg) {
    return fromBase >= 0 && fromBase < 3 && at.start >= window.first && at.start < window.last;
  }
  return fromBase >= 0 && fromBase < window.days;
}

// The event is copied only here, for the few of a channel's events that
// fall into the window.
void Keep(std::vector<PlacedCell>& placed, const EpgEvent& event, const CellMarks& marks,
          const Position& at, const EpgPageWindow& window) {
  if (!InWindow(at, window)) return;
  const std::time_t day = at.fromBase == 0 ? window.base : AddDays(window.base, at.fromBase);
  PlacedCell copy{event, day, at.start};
  copy.cell.columnSpan = 1;
  copy.cell.displayFlags = marks.flags;
  copy.cell.conditionNumber = 0;
  copy.cell.displayStartMinutes = marks.displayStart;
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
  const std::tm base = LocalFields(window.base);
  window.baseDayNumber = CivilDayNumber(base.tm_year + 1900, base.tm_mon + 1, base.tm_mday);
  return window;
}

std::vector<PlacedCell> PlaceEvent(const EpgEvent& event, const EpgPageWindow& window) {
  std::vector<PlacedCell> placed;
  CellMarks marks;
  Position at = ListPosition(event, window);
  CutAtTop(at, marks, window);
  Keep(placed, event, marks, at, window);

  // The per-station view continues a programme past 29:00 at 05:00 of the
  // next day's column.
  if (window.mode == PageMode::kStation && EndMinute(at) > kBroadcastDayEnd) {
    CellMarks rest = marks;
    rest.flags |= kCellCutAtTop;
    if ((marks.flags & kCellCutAtTop) == 0) rest.displayStart = static_cast<std::uint32_t>(at.start);
    Position next;
    next.fromBase = at.fromBase + 1;
    next.start = kBroadcastDayStart;
    next.seconds = at.seconds - static_cast<std::int64_t>(kBroadcastDayEnd - at.start) * 60;
    Keep(placed, event, rest, next, window);
  }
  return placed;
}

}  // namespace plimod
