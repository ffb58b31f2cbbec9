#pragma once
// The view of the programme table: its mode, day, hour, range, band mask,
// detail level and mark switch, read from the defaults, the mode's cookie
// and the request's view parameters, in that order.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/system_time.h"
#include "server/request_parameters.h"

namespace plimod {

enum class PageMode { kSearch, kEpg, kStation };

// "epg", "station"; anything else is the search-hit grid.
PageMode PageModeOf(std::string_view mode);

struct PageState {
  int range = 3;               // hours (mode "epg", 1..24) or days (1..7)
  std::uint32_t band = 0x111;  // band mask
  int detail = 1;              // 0 titles, 1 short text, 2 both texts
  int dayStart = 300;          // minutes: the broadcast day begins at 05:00...
  int dayEnd = 1740;           // ...and ends at 29:00
};

// The programme table's state, reset for every table request. Only the
// request worker touches it.
PageState& CurrentPageState();

// Everything the programme-table page needs to know about its view.
struct PageView {
  PageMode mode = PageMode::kSearch;
  PageState state;
  int mark = 0;
  std::time_t baseDay = 0;  // local midnight
  int hour = 5;             // first hour, 5..28 (mode "epg")
  std::string cookieLine;   // "Set-Cookie: ...\n"
};

// The defaults of a mode: range 3 (6 in mode "epg"), band 0x111, detail 1.
PageState DefaultPageState(PageMode mode);

// Reads `day`, `hour`, `range`, `band`, `detail`, `mark` and, in mode
// "station", fixes `chid` in the parameters when its channel is outside the
// band mask. `now` gives today's broadcast day and the current hour.
PageView ReadViewParameters(RequestParameters& params, PageMode mode, const SystemTime& now);

}  // namespace plimod
