#pragma once
// The small links behind a programme title: "e" (reserve through the
// recorder), "r" (TvRock's reservation page), "n" (tune the remote-control
// server) and the user's reservation-pattern links.

#include <string>
#include <vector>

#include "epg/epg_event.h"
#include "server/reply_writer.h"
#include "settings/ini_file.h"

namespace plimod {

// An enabled reservation pattern of EDCBPATTERN_01..10.
struct PatternLink {
  int number = 0;
  std::string text;           // LINKCHARA, UTF-8 escaped for the page
  bool reservedOnly = false;  // USE_INVALID
  bool dialog = false;        // USE_DIALOG
};

struct LinkSettings {
  bool edcbEnabled = false;       // [EPGDATACAP] ENABLE
  bool edcbSmallLink = false;     // [EPGDATACAP] SMALLLINK
  bool directJavaScript = false;  // [EPGDATACAP] DIRECTJAVASCRIPT
  bool tvrockEnabled = false;     // [TVROCK] ENABLE
  bool tvrockSmallLink = false;   // [TVROCK] SMALLLINK
  std::string tvrockProgramUrl;   // [TVROCK] PROGRAMURL, UTF-8
  bool remoconEnabled = false;    // [SYSTEM] REMOCON_ENABLE
  std::vector<PatternLink> patterns;
};

// Reads the link switches. The recorder's small link and (only when
// `readDirect` is set) DIRECTJAVASCRIPT count only while [EPGDATACAP] ENABLE
// is set; the TvRock switches only while [TVROCK] ENABLE is set and its
// programme URL is not empty. The enabled patterns are read here too, once
// for a page rather than once a programme.
LinkSettings LoadLinkSettings(const IniFile& settings, bool readDirect);

// Writes the small links of one event; nothing for a calendar-only entry
// (network id 0xFFFF). Pattern links with USE_INVALID show only behind
// reserved events (display flag 4).
void WriteProgramSmallLinks(ReplyWriter& out, const EpgEvent& event, const LinkSettings& links);

}  // namespace plimod
