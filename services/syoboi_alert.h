#pragma once
// The calendar alert: each programme of the user's schedule in the coming
// days is compared with the EPG data through a search word the user sets
// per title and channel ([SYOBOI_ALERT_WORD] "TID_service"), and a mail
// warns of programmes the EPG does not have, has more often than the
// schedule, or has at another time. Times are local 100-ns ticks.

#include <cstdint>
#include <optional>
#include <string>

#include "epg/epg_event.h"
#include "epg/search_word.h"
#include "services/syoboi_schedule.h"
#include "settings/ini_file.h"

namespace plimod {

enum SyoboiCheckResult : int {
  kSyoboiMatches = 0,
  kSyoboiNoEpgProgram = 1,
  kSyoboiMoreInEpg = 2,
  kSyoboiStartDiffers = 3,
};

// The 05:00 that opens the broadcast day holding `ticks`.
std::int64_t BroadcastDayStart(std::int64_t ticks);
// Midnight eight days after the day of `ticks`.
std::int64_t AlertWindowEnd(std::int64_t ticks);

// "TID_service" with the low 32 bits of the service key in lower-case hex.
std::wstring SyoboiAlertWordKey(int tid, std::uint64_t serviceKey);
// The stored word (at most 1023 characters); empty when none.
std::wstring ReadSyoboiAlertWord(const IniFile& settings, int tid, std::uint64_t serviceKey);
// The word as it is compared with the EPG's normalised titles: a regular
// expression ("/...") unchanged, any other word normalised as titles are.
SearchWord PrepareSyoboiAlertWord(const IniFile& settings, const std::wstring& word);

struct EpgMatch {
  std::optional<EpgEvent> event;  // the match at the exact start, else the first
  int count = 0;
};

// The events of the service in the broadcast day of `start` (their starts
// taken to the minute) whose normalised title matches the word.
EpgMatch FindMatchingEpgEvents(std::int64_t start, std::uint64_t serviceKey, const SearchWord& word);
// The first event of the service (by event id) starting exactly then.
std::optional<EpgEvent> FindEpgEventByStart(std::int64_t start, std::uint64_t serviceKey);

// Compares one programme of `schedule` (starting at `start`) with the EPG.
// `found` receives the event the result speaks of (none for no match).
SyoboiCheckResult CheckSyoboiProgramAgainstEpg(const SyoboiSchedule& schedule, std::int64_t start,
                                               const SyoboiProgram& program, const SearchWord& word,
                                               std::optional<EpgEvent>& found);

// The programmes the alert looks at: a known channel and now <= start <
// AlertWindowEnd(now), in start order.
template <typename Visit>
void ForEachAlertProgram(const SyoboiSchedule& schedule, std::int64_t now, Visit&& visit) {
  const auto end = schedule.programs.lower_bound(AlertWindowEnd(now));
  for (auto it = schedule.programs.lower_bound(now); it != end; ++it) {
    if (it->second.serviceKey != 0) visit(it->first, it->second);
  }
}

// The alert text (wide) for the schedule as it stands; empty when every
// checked programme matches.
std::wstring SyoboiAlertText(const IniFile& settings, const SyoboiSchedule& schedule, std::int64_t now);

// With [SYOBOI_ALERT] ENABLE set, mails the alert text (code page 932) to
// [SYOBOI_ALERT] EMAIL when there is one. Run after every refresh.
void RunSyoboiAlert(const IniFile& settings);

}  // namespace plimod
