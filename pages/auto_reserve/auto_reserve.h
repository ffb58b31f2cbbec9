#pragma once
// Automatic reservation: the conditions AUTORESERVE_nn (search keys plus
// title rule and recording options) are run over the EPG store after each
// load, and every hit that is neither reserved nor in the history is
// reserved in the recorder in use. With [EPGDATACAP] AUTORESERVEUPDATE set,
// the titles of reservations it made follow the condition's title rule.
//
// A pass is planned and then sent: the plan reads the stored events (and
// marks none), so its callers hold EpgBusyFlag, which keeps loads of the
// store out; the sends wait on the recorder and need no EPG data, so they
// run without the flag.

#include <cstdint>
#include <string>
#include <vector>

#include "epg/epg_event.h"
#include "recorder/lines/reserve_line.h"
#include "recorder/lists/reserve_lists.h"
#include "settings/ini_file.h"

namespace plimod {

// "AUTORESERVE_%02d".
std::wstring AutoReserveSectionName(int number);
// [EPGDATACAP] AUTORESERVECOUNT, 20 unless it is 1 to 999.
int AutoReserveConditionCount(const IniFile& settings);

enum class TitleUse {
  kUpdate,   // the number used last time, not stored; event title when blank
  kAdd,      // the template advances and stores the number; used as it is
  kPreview,  // what the next reservation would get, nothing stored
};
// The title a reservation of the event gets by the section's TITLETYPE
// (0 the event title, 1 the default title, 2 the template).
std::wstring AutoReserveTitle(IniSection& section, const EpgEvent& event, TitleUse use);

// The reservation of the event with the section's recording options (a
// missing PRIORITY, FORROW, RECMODE or EXT1 takes the value read before it,
// starting from TITLETYPE); title left empty.
ReserveLine AutoReserveLine(const IniSection& section, const EpgEvent& event);

// What a pass sends to the recorder.
struct AutoReserveAdd {
  ReserveLine line;
  std::wstring title;
  std::wstring token;  // its history token
};
struct AutoReserveRetitle {
  std::string title;  // code page 932
  std::uint64_t programKey = 0;
  int reserveId = 0;
  std::string logText;  // "old -> new", UTF-8
};
struct AutoReserveSends {
  std::wstring storedHistory;  // the history as stored when the pass began
  std::wstring history;        // the same, pruned
  std::vector<AutoReserveAdd> adds;
  std::vector<AutoReserveRetitle> retitles;
};

// One walk over every enabled condition against `lists`, with EpgBusyFlag
// held: what to add and retitle.
AutoReserveSends PlanAutoReservePass(IniFile& settings, const ReserveLists& lists);
// Without the flag: the retitles, then the adds together; true when
// something was reserved or retitled (the recorder is then restarted and
// the history and settings saved).
bool SendAutoReservePass(IniFile& settings, AutoReserveSends sends);
// Both in turn on this thread.
bool RunAutoReservePass(IniFile& settings, const ReserveLists& lists);

// What a pass starts from: the reservation lists loaded anew from the
// recorder; null when the recorder link ([EPGDATACAP] ENABLE) is off. It
// touches no EPG data, so callers that can run it without EpgBusyFlag.
ReserveSnapshot FetchAutoReserveLists(const IniFile& settings);
// Whether that asks the reservation server (rather than reading a file).
bool AutoReserveAsksServer(const IniFile& settings);

// Plans a pass on the list as last loaded and hands the sends to the
// sender (auto_reserve_sender.h); nothing when the link is off.
void RunAutoReserve(IniFile& settings);

}  // namespace plimod
