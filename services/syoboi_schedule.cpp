#include "services/syoboi_schedule.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <tuple>
#include <utility>

#include "epg/epg_index.h"
#include "platform/text_codec.h"
#include "services/syoboi_alert.h"
#include "services/syoboi_channels.h"
#include "services/syoboi_fetch.h"
#include "services/syoboi_reply.h"
#include "settings/settings.h"
#include "util/conversions.h"
#include "util/log.h"

namespace plimod {

namespace {

constexpr std::size_t kReplyLimit = 262'143;
constexpr std::size_t kUserNameChars = 255;
constexpr std::size_t kChannelNameChars = 63;
constexpr std::size_t kTextChars = 1023;
constexpr std::size_t kLoggedNameBytes = 255;

std::mutex& ScheduleMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<const SyoboiSchedule>& Published() {
  static std::shared_ptr<const SyoboiSchedule> schedule = std::make_shared<const SyoboiSchedule>();
  return schedule;
}

void Publish(std::shared_ptr<const SyoboiSchedule> schedule) {
  std::lock_guard lock(ScheduleMutex());
  Published() = std::move(schedule);
}

// A programme's identity across snapshots: start, id and service.
using SeenMark = std::tuple<std::int64_t, int, std::uint64_t>;
thread_local std::set<SeenMark> seenMarks;

void MarkSeen(std::int64_t startTicks, const SyoboiProgram& program) {
  seenMarks.emplace(startTicks, program.pid, program.serviceKey);
}

int AttributeNumber(const XmlAttributes& attributes, std::string_view name) {
  const auto found = attributes.find(name);
  if (found == attributes.end()) return 0;
  const long value = std::strtol(found->second.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

std::wstring AttributeText(const XmlAttributes& attributes, std::string_view name, std::size_t maxChars) {
  const auto found = attributes.find(name);
  if (found == attributes.end()) return {};
  std::wstring text = Utf8ToWide(found->second);
  if (text.size() > maxChars) text.resize(maxChars);
  return text;
}

std::optional<std::int64_t> AttributeTicks(const XmlAttributes& attributes, std::string_view name) {
  const auto found = attributes.find(name);
  if (found == attributes.end()) return std::nullopt;
  const std::optional<SystemTime> time = ParseSyoboiTime(found->second);
  if (!time) return std::nullopt;
  return SystemTimeToTicks(*time);
}

void LogUnknownChannel(const std::wstring& name) {
  std::string bytes = WideToCp932(name);
  bytes.resize(Cp932CutPoint(bytes, kLoggedNameBytes));
  LogWriteNoPost("unknown channel:%s\n", WideToUtf8(Cp932ToWide(bytes)).c_str());
}

class ScheduleBuilder {
 public:
  explicit ScheduleBuilder(const IniFile& settings) : settings_(settings) {}

  std::shared_ptr<const SyoboiSchedule> Build(std::string_view reply) {
    // The channel match reads ServiceMap, which a load may be growing.
    std::shared_lock lock(EpgDataLock());
    for (const XmlAttributes& item : ReadProgItems(reply)) Add(item);
    return std::make_shared<const SyoboiSchedule>(std::move(schedule_));
  }

 private:
  void Add(const XmlAttributes& item) {
    const std::optional<std::int64_t> start = AttributeTicks(item, "StTime");
    const std::optional<std::int64_t> end = AttributeTicks(item, "EdTime");
    if (!start || !end) return;
    const std::int64_t key = *start + std::int64_t{AttributeNumber(item, "StOffset")} * kTicksPerSecond;
    const std::optional<SystemTime> keyTime = TicksToSystemTime(key);
    if (!keyTime) return;
    SyoboiProgram program;
    program.pid = AttributeNumber(item, "PID");
    program.tid = AttributeNumber(item, "TID");
    program.count = AttributeNumber(item, "Count");
    program.start = *keyTime;
    const std::int64_t seconds = (*end - *start) / kTicksPerSecond;
    program.durationSeconds = static_cast<int>(std::clamp<std::int64_t>(seconds, INT_MIN, INT_MAX));
    program.channelName = AttributeText(item, "ChName", kChannelNameChars);
    program.title = AttributeText(item, "Title", kTextChars);
    program.subTitle = AttributeText(item, "SubTitle", kTextChars);
    program.progComment = AttributeText(item, "ProgComment", kTextChars);
    MatchChannel(AttributeNumber(item, "ChID"), program);
    schedule_.programs.emplace(key, std::move(program));
  }

  void MatchChannel(int channelId, SyoboiProgram& program) {
    const SyoboiChannelMatch match = MatchSyoboiChannel(settings_, channelId, program.channelName);
    program.serviceKey = match.serviceKey;
    if (match.firstMiss) LogUnknownChannel(program.channelName);
    if (match.serviceKey != 0) return;
    std::vector<std::wstring>& unknown = schedule_.unknownChannels;
    if (std::find(unknown.begin(), unknown.end(), program.channelName) == unknown.end()) {
      unknown.push_back(program.channelName);
    }
  }

  const IniFile& settings_;
  SyoboiSchedule schedule_;
};

std::wstring UserName(const IniFile& settings) {
  std::wstring user = settings.GetString(L"SYSTEM", L"SYOBOCAL_USERNAME").value_or(std::wstring());
  if (user.size() > kUserNameChars) user.resize(kUserNameChars);
  return user;
}

}  // namespace

std::shared_ptr<const SyoboiSchedule> CurrentSyoboiSchedule() {
  std::lock_guard lock(ScheduleMutex());
  return Published();
}

bool SyoboiProgramMapEmpty() { return CurrentSyoboiSchedule()->programs.empty(); }

bool SyoboiCalendarEnabled(const IniFile& settings) {
  return settings.GetIntDefault(L"SYSTEM", L"SYOBOCAL_ENABLE", 0) != 0;
}

SyoboiFetch FetchSyoboiPrograms(const IniFile& settings) {
  SyoboiFetch fetch;
  fetch.enabled = SyoboiCalendarEnabled(settings);
  if (!fetch.enabled) return fetch;
  LogWriteNoPost("しょぼかる受信開始\n");
  fetch.reply = FetchSyoboiUserPrograms(UserName(settings), kReplyLimit);
  return fetch;
}

void ApplySyoboiPrograms(const IniFile& settings, const SyoboiFetch& fetch) {
  if (!fetch.enabled) {
    Publish(std::make_shared<const SyoboiSchedule>());
    return;
  }
  if (!fetch.reply.ok || fetch.reply.body.empty()) {
    // An error page or a broken transfer says nothing about the schedule.
    LogWriteNoPost("しょぼかる受信失敗\n");
  } else {
    std::shared_ptr<const SyoboiSchedule> schedule = ScheduleBuilder(settings).Build(fetch.reply.body);
    const std::size_t count = schedule->programs.size();
    Publish(std::move(schedule));
    LogWriteNoPost("しょぼかる受信成功(%d件)\n", static_cast<int>(count));
  }
  // After a failed fetch the alert checks the schedule kept from before.
  RunSyoboiAlert(settings);
}

void RefreshSyoboiPrograms(const IniFile& settings) { ApplySyoboiPrograms(settings, FetchSyoboiPrograms(settings)); }

void RefreshSyoboiPrograms() { RefreshSyoboiPrograms(Settings()); }

std::optional<SyoboiProgram> FindSyoboiProgram(std::uint64_t serviceKey, const SystemTime& start) {
  SystemTime minute = start;
  minute.wSecond = 0;
  minute.wMilliseconds = 0;
  const std::optional<std::int64_t> ticks = SystemTimeToTicks(minute);
  if (!ticks) return std::nullopt;
  const auto schedule = CurrentSyoboiSchedule();
  const auto [first, last] = schedule->programs.equal_range(*ticks);
  for (auto it = first; it != last; ++it) {
    if (it->second.serviceKey != serviceKey) continue;
    MarkSeen(it->first, it->second);
    return it->second;
  }
  return std::nullopt;
}

std::optional<SyoboiProgram> FindSyoboiProgramByPid(int pid, std::int64_t startTicks) {
  const auto schedule = CurrentSyoboiSchedule();
  const auto [first, last] = schedule->programs.equal_range(startTicks);
  for (auto it = first; it != last; ++it) {
    if (it->second.pid != pid) continue;
    MarkSeen(it->first, it->second);
    return it->second;
  }
  return std::nullopt;
}

void ClearSyoboiSeenFlags() { seenMarks.clear(); }

bool SyoboiProgramSeen(std::int64_t startTicks, const SyoboiProgram& program) {
  return seenMarks.count({startTicks, program.pid, program.serviceKey}) != 0;
}

void ResetSyoboiScheduleForTesting() {
  Publish(std::make_shared<const SyoboiSchedule>());
  ResetSyoboiChannelsForTesting();
  seenMarks.clear();
}

}  // namespace plimod
