#pragma once
// The user's broadcast schedule from the calendar service, and the two
// timers of the calendar work: 200 (daily load) and 400 (delayed upload).
//
// The schedule is rebuilt as a new snapshot and published whole, so the
// mobile pages can read it beside a refresh. The "seen" marks that the
// look-ups set belong to the calling thread: a page clears them, looks up,
// and reads them back without meeting the marks of a page on another thread.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "services/http_client.h"
#include "settings/ini_file.h"

namespace plimod {

inline constexpr unsigned kSyoboiLoadTimer = 200;
inline constexpr unsigned kSyoboiUploadTimer = 400;

struct SyoboiProgram {
  int pid = 0;
  int tid = 0;
  SystemTime start;          // local time, after the programme's offset
  int durationSeconds = 0;   // end minus start as listed (before the offset)
  std::wstring channelName;  // the service's name when the channel is known here
  std::wstring title;
  std::wstring subTitle;
  std::wstring progComment;
  int count = 0;                 // episode number
  std::uint64_t serviceKey = 0;  // 0: the channel is unknown here
};

// By start (100-ns ticks, after the offset); several programmes may share one.
using SyoboiProgramMap = std::multimap<std::int64_t, SyoboiProgram>;

struct SyoboiSchedule {
  SyoboiProgramMap programs;
  // Calendar channel names of the last refresh that match no service.
  std::vector<std::wstring> unknownChannels;
};

// The schedule as last published (never null).
std::shared_ptr<const SyoboiSchedule> CurrentSyoboiSchedule();
bool SyoboiProgramMapEmpty();

// What the service answered, before it is matched against the EPG data.
struct SyoboiFetch {
  bool enabled = false;  // false: the calendar is off (nothing was asked)
  HttpReply reply;
};

// [SYSTEM] SYOBOCAL_ENABLE: whether the calendar is asked at all.
bool SyoboiCalendarEnabled(const IniFile& settings);
// The slow half: asks the service, touching neither the EPG store nor the
// schedule, so callers run it without EpgBusyFlag.
SyoboiFetch FetchSyoboiPrograms(const IniFile& settings);
// The quick half, under EpgBusyFlag: matches the channels, publishes the new
// schedule (a failed fetch keeps the old one, a disabled calendar empties
// it) and runs the alert.
void ApplySyoboiPrograms(const IniFile& settings, const SyoboiFetch& fetch);
// Both halves in one go.
void RefreshSyoboiPrograms(const IniFile& settings);
void RefreshSyoboiPrograms();  // with Settings()

// The programme of that service starting in that minute; marks it seen.
std::optional<SyoboiProgram> FindSyoboiProgram(std::uint64_t serviceKey, const SystemTime& start);
// The programme with that id starting exactly then; marks it seen.
std::optional<SyoboiProgram> FindSyoboiProgramByPid(int pid, std::int64_t startTicks);
// This thread's seen marks.
void ClearSyoboiSeenFlags();
bool SyoboiProgramSeen(std::int64_t startTicks, const SyoboiProgram& program);

// Minutes until the next daily load at `loadTime` ("h" or "h:m"); nothing
// when the text is empty.
std::optional<int> SyoboiLoadDelayMinutes(const std::wstring& loadTime, const SystemTime& now);
void SetSyoboiLoadTimer();
// The timer's result, 0 when it was not armed.
int ArmSyoboiUploadTimer();

// Empties the schedule and forgets the channel matches of the run.
void ResetSyoboiScheduleForTesting();

}  // namespace plimod
