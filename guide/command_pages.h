#pragma once
// What the dispatcher runs that lives outside the guide: the pages of the
// other parts of the program, registered by command name at start-up, and
// the few jobs it triggers (EPG reload, automatic reservation, calendar
// timer and upload, remote-control tuning, reservation list). Keeping them
// as registered functions lets those parts build on the guide without the
// guide depending on them.
//
// A command whose page is not registered answers a short plain-text note;
// a job that is not set does nothing (the tuning job fails).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// A page of a command. Returns 0 when its form was saved (the commands that
// redirect after a save then redirect), anything else otherwise.
using CommandPage = std::function<int(ReplyWriter& out, RequestParameters& params, IniFile& settings)>;

// The programme detail page of one event.
using ProgramDetailPage = std::function<int(ReplyWriter& out, RequestParameters& params,
                                            std::uint64_t serviceKey, std::uint32_t eventId)>;

struct DispatcherJobs {
  std::function<void()> loadEpgFolder;         // `epg`, before the answer
  std::function<void()> runAutoReserve;        // `epg`, after the load
  std::function<void()> setSyoboiLoadTimer;    // after a saved `config`
  std::function<void(ReplyWriter&)> uploadSyoboiReserves;  // `syoboup`; writes its own reply
  // `nrc`: name in the system code page, host and port text; true on success.
  std::function<bool(const std::string& name, const std::string& host, const std::string& port)> tuneRemote;
  std::function<void()> loadReserveList;       // before every programme table (for its marks)
  std::function<void()> loadShownReserveList;  // before a page that shows the list itself
};

// Registers (or, with an empty function, removes) the page of `cmd`:
// config, ignorech, search, edc, edc_edit, epgtimer, edcb, iepgch, chsort,
// autore, linesrch, genre, edcpattern or syoboialert.
void SetCommandPage(std::string_view cmd, CommandPage page);
void SetProgramDetailPage(ProgramDetailPage page);
void SetDispatcherJobs(DispatcherJobs jobs);

// Copies of what is registered (empty functions when nothing is).
CommandPage FindCommandPage(std::string_view cmd);
ProgramDetailPage CurrentProgramDetailPage();
DispatcherJobs CurrentDispatcherJobs();

// Forgets every registration (tests).
void ClearCommandPages();

}  // namespace plimod
