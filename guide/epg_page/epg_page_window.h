#pragma once
// The time window a programme-table page shows, and how one event of a
// channel is placed into it: moved to the day list it is drawn in, cut at
// the top of the window, and (per-station view) continued in the next day's
// column when it runs past 29:00.

#include <cstdint>
#include <ctime>
#include <vector>

#include "epg/epg_event.h"
#include "guide/page_state.h"

namespace plimod {

// Display flags of a cell copy.
inline constexpr std::uint32_t kCellCutAtTop = 1;
inline constexpr std::uint32_t kCellFiller = 2;
inline constexpr std::uint32_t kCellReserved = 4;
inline constexpr std::uint32_t kCellDisabled = 8;

inline constexpr int kBroadcastDayStart = 300;   // 05:00
inline constexpr int kBroadcastDayEnd = 1740;    // 29:00

struct EpgPageWindow {
  PageMode mode = PageMode::kSearch;
  std::time_t base = 0;  // local midnight of the first day
  int first = kBroadcastDayStart;  // minutes of the base day: mode "epg" hour x 60
  int last = kBroadcastDayEnd;     // mode "epg" (hour + range) x 60
  int days = 1;                    // days shown (1 in mode "epg")
  std::int64_t baseDayNumber = 0;  // CivilDayNumber of the base's date
};

EpgPageWindow MakeEpgPageWindow(const PageView& view);

// An event copy placed in the window: its day list and start minute there.
// The copy keeps its calendar start (for the search and calendar tests);
// SetListStart gives it the list's fields once it is kept. Its duration
// already counts the start's seconds and less any part cut off.
struct PlacedCell {
  EpgEvent cell;
  std::time_t day = 0;
  int start = 0;
};

// The copies of one titled event that fall into the window (none, one, or,
// in mode "station", two), with column span 1, condition number 0 and the
// cut flag and display start where it was cut.
std::vector<PlacedCell> PlaceEvent(const EpgEvent& event, const EpgPageWindow& window);

}  // namespace plimod
