#pragma once
// The drawing settings of the programme-table page, its genre colours and
// the head of its reply.

#include <array>
#include <string>
#include <string_view>

#include "epg/epg_event.h"
#include "guide/page_state.h"
#include "guide/program_links.h"
#include "server/reply_writer.h"
#include "settings/ini_file.h"

namespace plimod {

inline constexpr std::size_t kGenreColourSlots = 14;
inline constexpr std::size_t kFillerColourSlot = 13;
inline constexpr std::size_t kNoGenreColourSlot = 12;

struct EpgPageSettings {
  bool jsTooltips = true;        // [SYSTEM] USECSSTOOLTIP is not 1
  bool explanPopup = false;      // [SYSTEM] USEEXPLANPOPUP
  bool addConditionNo = false;   // [SYSTEM] ADDCONDITIONNO is 1
  bool edcbEnabled = false;      // [EPGDATACAP] ENABLE
  bool addTunerName = false;     // [EPGDATACAP] ADDTUNERNAME
  LinkSettings links;            // read with DIRECTJAVASCRIPT
  std::array<std::string, kGenreColourSlots> genreColours;  // slot 13: fillers
};

EpgPageSettings ReadEpgPageSettings(const IniFile& settings);

// The colour slot of an event: its first genre's number, the second one's
// when the first is above 12, else 12.
std::size_t GenreColourSlot(const EpgEvent& event);

// [SEARCH_nn] DRAW_BGCOLOR (default "#ffffff") when DRAW_BGTYPE is 1;
// empty otherwise.
std::string ConditionColour(const IniFile& settings, int number);

// A colour as an attribute value: a plain "#" and letters-and-digits value
// as it is, anything else quoted and escaped.
std::string ColourAttribute(std::string_view colour);

// The fixed style lines, from the META line to the "plx.css" link, each
// ended by "\n" (also the head of the programme detail page).
void WriteEpgStyleLines(ReplyWriter& out);

// From "Content-Type" to "<BODY>": the cookie line, the title, the fixed
// style lines and the linked style sheets and script.
void WriteEpgPageHead(ReplyWriter& out, const PageView& view, const EpgPageSettings& page);

}  // namespace plimod
