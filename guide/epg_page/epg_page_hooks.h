#pragma once
// What the programme table asks of the reservation list and of the user's
// calendar schedule. Those parts register their look-ups at start-up, so the
// guide does not depend on them; until then no event is reserved and the
// schedule is empty.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "epg/epg_event.h"
#include "platform/system_time.h"

namespace plimod {

// The reservation of an event.
struct PageReserveMark {
  bool disabled = false;
  bool inUnrecordableList = false;  // its programme key is in the unrecordable list
  int unrecordable = 0;             // what the recorder reported (1: cannot record)
  std::wstring tunerLabel;
  std::string comment;  // system code page
};

// One programme of the calendar schedule.
struct PageSyoboiProgram {
  int pid = 0;
  int tid = 0;
  std::uint64_t serviceKey = 0;  // 0: the channel is unknown here
  bool seen = false;             // an EPG event of the page matched it
  std::wstring title;
  std::wstring subtitle;
  std::wstring comment;
  std::wstring channelName;
  int count = 0;  // episode number, 0 when unknown
  SystemTime start;
  std::uint32_t durationSeconds = 0;
};

struct EpgPageHooks {
  // Reserved events get a mark; also used to draw the reservation's class,
  // tuner label and comment.
  std::function<std::optional<PageReserveMark>(const EpgEvent&)> findReserveForEvent;
  // The automatic reservation that made the event's reservation, 0 for none.
  std::function<int(const EpgEvent&)> findAutoReserveNoForEvent;
  std::function<void()> clearSyoboiSeenFlags;
  // True when the schedule lists the service at that start; marks it seen.
  std::function<bool(std::uint64_t serviceKey, const SystemTime& start)> findSyoboiProgram;
  // The schedule in start order, with the seen marks of this page.
  std::function<std::vector<PageSyoboiProgram>()> syoboiPrograms;
  std::function<std::optional<PageSyoboiProgram>(int pid, const SystemTime& start)> findSyoboiProgramByPid;
  // Host of the calendar's title pages.
  std::string syoboiHost = "cal.syoboi.jp";
  // Run once as a page starts, on that page's own copy of the hooks: a part
  // may put in look-ups over what it read once for the page, so thousands
  // of cells do not read it again each.
  std::vector<std::function<void(EpgPageHooks&)>> pageStart;
};

void SetEpgPageHooks(EpgPageHooks hooks);
// A copy of what is registered.
EpgPageHooks CurrentEpgPageHooks();
// A copy with its pageStart steps run: the hooks of one page.
EpgPageHooks EpgPageHooksForPage();

}  // namespace plimod
