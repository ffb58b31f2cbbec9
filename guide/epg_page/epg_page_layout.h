#pragma once
// Everything the programme-table page collects before it writes: the cells
// of each day list in drawing order, the row grids, and the columns (the
// channels of mode "epg", the days of mode "station").

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <vector>

#include "guide/epg_page/epg_page_hooks.h"
#include "guide/epg_page/epg_page_window.h"
#include "guide/grid_layout.h"
#include "guide/page_state.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

struct EpgPageLayout {
  EpgPageWindow window;
  std::map<std::time_t, DayEventList> days;
  RowGridMap grids;
  std::optional<std::time_t> firstDay;  // earliest and latest day that got a cell
  std::optional<std::time_t> lastDay;
  std::vector<std::uint64_t> channelColumns;  // mode "epg"
  std::vector<std::time_t> dayColumns;        // mode "station"
  int columns = 0;
};

// Network id of an entry of the calendar schedule that has no EPG event.
inline constexpr std::uint16_t kSyoboiOnlyNetwork = 0xFFFF;

// The cell of such a programme: ids 0xFFFF, 0, 0, 0; the short text is
// "#<count> " (when the count is known) and the subtitle, the extended text
// its comment; the condition number holds its programme id (PID).
EpgEvent SyoboiOnlyEntry(const PageSyoboiProgram& program);

// Walks the bands and channels of the view, places their events, adds the
// fillers and, in the search grid, the calendar-only programmes. Reads the
// EPG store (EpgEventIndex, ServiceMap) and the channel order; the caller
// holds EpgBusyFlag.
EpgPageLayout CollectEpgPageCells(const PageView& view, const RequestParameters& params, const IniFile& settings,
                                  const EpgPageHooks& hooks);

}  // namespace plimod
