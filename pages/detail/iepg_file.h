#pragma once
// iEPG files of one programme: version 1 (".tvpi") and version 2 (".tvpid").
// Bodies are in code page 932 with CR LF line ends; each text is cut to 512
// bytes on a character boundary, and line breaks inside a "key: value" line
// become blanks so a text cannot add a line of its own. Only version 2's
// trailing short text keeps its line breaks.

#include <cstdint>
#include <string>

#include "epg/epg_event.h"
#include "server/reply_writer.h"
#include "settings/ini_file.h"

namespace plimod {

// Hour and minute where the programme ends: the start plus the duration
// rounded up to whole minutes, on a 24-hour clock. A duration of 0 ends at
// the start.
struct IepgEndTime {
  int hour = 0;
  int minute = 0;
};
IepgEndTime IepgEnd(const EpgEvent& event);

// The body from its "Content-type:" line on. Version 1 names the station by
// IEPG_CH_NAME when set, else by the trimmed service name.
std::string TvpiBody(const EpgEvent& event, std::uint64_t serviceKey, const IniFile& settings);
std::string TvpidBody(const EpgEvent& event, std::uint64_t serviceKey);

// The downloads: headers and body.
void SendTvpi(ReplyWriter& out, const EpgEvent& event, std::uint64_t serviceKey, const IniFile& settings);
void SendTvpid(ReplyWriter& out, const EpgEvent& event, std::uint64_t serviceKey);

}  // namespace plimod
