#pragma once
// One programme cell of the programme table: its colour and border class,
// the minute link, the title with the search words marked, the station, the
// small links, the description (as a tooltip or written out, by the detail
// level) and the note of the search condition, tuner and automatic
// reservation.

#include <cstdint>
#include <map>
#include <string>

#include "epg/epg_event.h"
#include "epg/highlight.h"
#include "guide/epg_page/epg_page_hooks.h"
#include "guide/epg_page/epg_page_style.h"
#include "server/reply_writer.h"
#include "settings/ini_file.h"

namespace plimod {

struct EpgCellContext {
  const EpgPageSettings& page;
  const IniFile& settings;
  const EpgPageHooks& hooks;
  int detail = 1;
  bool mark = false;
  // Background colours of search conditions, read once per page.
  mutable std::map<std::uint32_t, std::string> conditionColours{};
  // The search words to mark, read once per page.
  SearchMarks marks{settings};
};

// `cell` is a day-list cell (its start carries the list's date, its hour
// may be 24 or more).
void WriteEpgPageCell(ReplyWriter& out, const EpgEvent& cell, int rowspan, int colspan, const EpgCellContext& context);

}  // namespace plimod
