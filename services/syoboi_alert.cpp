#include "services/syoboi_alert.h"

#include <vector>

#include "epg/epg_index.h"
#include "epg/search_condition.h"
#include "platform/text_codec.h"
#include "services/mail_sender.h"
#include "util/format.h"
#include "util/text_normalize.h"

namespace plimod {
namespace {

constexpr std::size_t kWordChars = 1023;
constexpr std::size_t kMailMaxBytes = 16383;
constexpr std::size_t kEmailMaxBytes = 1023;
constexpr wchar_t kWeekdayChars[] = L"日月火水木金土";

std::int64_t MinuteOf(std::int64_t ticks) { return ticks - ticks % kTicksPerMinute; }

const wchar_t* ResultText(SyoboiCheckResult result) {
  switch (result) {
    case kSyoboiNoEpgProgram: return L"一致番組無し\n";
    case kSyoboiMoreInEpg: return L"同タイトル複数検出\n";
    case kSyoboiStartDiffers: return L"放送開始時間ズレ\n";
    default: return L"";
  }
}

// Scheduled programmes of the same title and channel in that broadcast day.
int ScheduledInDay(const SyoboiSchedule& schedule, std::int64_t day, const SyoboiProgram& program) {
  int count = 0;
  const auto end = schedule.programs.lower_bound(day + kTicksPerDay);
  for (auto it = schedule.programs.lower_bound(day); it != end; ++it) {
    const SyoboiProgram& other = it->second;
    if (other.serviceKey != 0 && other.serviceKey == program.serviceKey && other.tid == program.tid) ++count;
  }
  return count;
}

std::wstring AlertLine(const SyoboiProgram& program) {
  const SystemTime& t = program.start;
  wchar_t line[2048];
  FormatW(line, std::size(line), L"%02d%02d(%lc) %02d:%02d %ls %ls\n", t.wMonth, t.wDay,
          static_cast<wint_t>(kWeekdayChars[DayOfWeek(t.wYear, t.wMonth, t.wDay)]), t.wHour, t.wMinute,
          program.channelName.c_str(), program.title.c_str());
  return line;
}

std::string AlertMail(const IniFile& settings, const std::wstring& text) {
  std::string body = WideToCp932(text);
  body.resize(Cp932CutPoint(body, kMailMaxBytes));
  std::string email = WideToCp932(settings.GetString(L"SYOBOI_ALERT", L"EMAIL").value_or(L""));
  email.resize(Cp932CutPoint(email, kEmailMaxBytes));
  std::vector<char> message(kMailMaxBytes + 1);
  FormatA(message.data(), message.size(), "To: %s\nSubject: shobo ALERT\n\n%s", email.c_str(), body.c_str());
  return message.data();
}

}  // namespace

std::int64_t BroadcastDayStart(std::int64_t ticks) {
  const std::int64_t hours = ticks / kTicksPerHour;
  std::int64_t days = hours / 24;
  if (hours % 24 < 5) --days;
  return days * kTicksPerDay + 5 * kTicksPerHour;
}

std::int64_t AlertWindowEnd(std::int64_t ticks) { return ticks - ticks % kTicksPerDay + 8 * kTicksPerDay; }

std::wstring SyoboiAlertWordKey(int tid, std::uint64_t serviceKey) {
  wchar_t key[64];
  FormatW(key, std::size(key), L"%d_%x", tid, static_cast<unsigned>(serviceKey & 0xFFFF'FFFFu));
  return key;
}

std::wstring ReadSyoboiAlertWord(const IniFile& settings, int tid, std::uint64_t serviceKey) {
  const std::wstring key = SyoboiAlertWordKey(tid, serviceKey);
  std::wstring word = settings.GetString(L"SYOBOI_ALERT_WORD", key.c_str()).value_or(L"");
  if (word.size() > kWordChars) word.resize(kWordChars);
  return word;
}

SearchWord PrepareSyoboiAlertWord(const IniFile& settings, const std::wstring& word) {
  if (word.starts_with(L'/')) return PrepareSearchWord(word);
  // Titles are stored normalised with their blanks as "+"; "&" keeps its
  // meaning of "and" in the word.
  std::wstring normalized = word;
  NormalizeText(normalized, SearchNormalizeList(settings));
  for (wchar_t& c : normalized) {
    if (c == L' ') c = L'+';
  }
  return PrepareSearchWord(normalized);
}

EpgMatch FindMatchingEpgEvents(std::int64_t start, std::uint64_t serviceKey, const SearchWord& word) {
  EpgMatch match;
  const auto service = EpgEventIndex->find(serviceKey);
  if (service == EpgEventIndex->end()) return match;
  const std::int64_t day = BroadcastDayStart(start);
  for (const auto& [eventId, event] : service->second) {
    const std::int64_t eventStart = MinuteOf(EventStartTicks(event));
    if (eventStart < day || eventStart >= day + kTicksPerDay) continue;
    if (!MatchPreparedWord(event.NormalizedTitle(), word)) continue;
    ++match.count;
    if (!match.event || eventStart == start) match.event = event;
  }
  return match;
}

std::optional<EpgEvent> FindEpgEventByStart(std::int64_t start, std::uint64_t serviceKey) {
  const auto service = EpgEventIndex->find(serviceKey);
  if (service == EpgEventIndex->end()) return std::nullopt;
  for (const auto& [eventId, event] : service->second) {
    if (MinuteOf(EventStartTicks(event)) == start) return event;
  }
  return std::nullopt;
}

SyoboiCheckResult CheckSyoboiProgramAgainstEpg(const SyoboiSchedule& schedule, std::int64_t start,
                                               const SyoboiProgram& program, const SearchWord& word,
                                               std::optional<EpgEvent>& found) {
  EpgMatch match = FindMatchingEpgEvents(start, program.serviceKey, word);
  found = std::move(match.event);
  if (!found) return kSyoboiNoEpgProgram;
  if (MinuteOf(EventStartTicks(*found)) != start) return kSyoboiStartDiffers;
  if (match.count == 1) return kSyoboiMatches;
  const int scheduled = ScheduledInDay(schedule, BroadcastDayStart(start), program);
  return scheduled == match.count ? kSyoboiMatches : kSyoboiMoreInEpg;
}

std::wstring SyoboiAlertText(const IniFile& settings, const SyoboiSchedule& schedule, std::int64_t now) {
  std::wstring text;
  ForEachAlertProgram(schedule, now, [&](std::int64_t start, const SyoboiProgram& program) {
    const std::wstring word = ReadSyoboiAlertWord(settings, program.tid, program.serviceKey);
    if (word.empty()) return;
    std::optional<EpgEvent> found;
    const SyoboiCheckResult result =
        CheckSyoboiProgramAgainstEpg(schedule, start, program, PrepareSyoboiAlertWord(settings, word), found);
    if (result == kSyoboiMatches) return;
    text += AlertLine(program);
    text += ResultText(result);
  });
  return text;
}

void RunSyoboiAlert(const IniFile& settings) {
  if (settings.GetIntDefault(L"SYOBOI_ALERT", L"ENABLE", 0) == 0) return;
  const std::wstring mailProgram = ResolveSendmailPath(settings);
  const std::wstring text = SyoboiAlertText(settings, *CurrentSyoboiSchedule(), LocalNowTicks());
  if (text.empty()) return;
  SendMailText(mailProgram, AlertMail(settings, text));
}

}  // namespace plimod
