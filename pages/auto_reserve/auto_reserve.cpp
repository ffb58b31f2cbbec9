#include "pages/auto_reserve/auto_reserve.h"

#include <cwchar>
#include <string_view>
#include <utility>
#include <vector>

#include "epg/epg_index.h"
#include "epg/search_condition.h"
#include "epg/search_runner.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "pages/auto_reserve/auto_reserve_sender.h"
#include "pages/search/search_hit_preview.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"
#include "recorder/text_file/epg_timer_bon_window.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/titles/reservation_title.h"
#include "recorder/changes/reservations.h"
#include "recorder/lists/reserve_list_keep.h"
#include "services/syoboi_schedule.h"
#include "settings/settings.h"
#include "util/keys.h"
#include "util/log.h"

namespace plimod {

namespace {

constexpr int kDefaultSearchDays = 2;
constexpr std::size_t kTitleLogBytes = 1023;

bool IsBlankText(std::wstring_view text) {
  return text.find_first_not_of(L" \u3000") == std::wstring_view::npos;
}

std::string LineText(std::wstring_view text) { return CutLineText(WideToCp932(text)); }

std::string StationOf(std::uint64_t serviceKey) {
  const auto station = ServiceMap.find(serviceKey);
  return station == ServiceMap.end() ? std::string() : LineText(station->second);
}

// The state of one pass.
struct Pass {
  IniFile& settings;
  const ReserveLists& lists;
  HistoryLookup inHistory;  // the keys of the history and of the queued adds
  bool update = false;
  AutoReserveSends sends;
};

// Queued: the change is sent with the adds, once the store is let go.
void UpdateTitle(Pass& pass, IniSection& section, const EpgEvent& event, const ReserveEntry& entry) {
  const std::wstring wide = AutoReserveTitle(section, event, TitleUse::kUpdate);
  if (IsBlankText(wide)) return;
  const std::string title = LineText(wide);
  if (title == entry.title) return;
  std::string text = WideToUtf8String(Cp932ToWide(entry.title)) + " -> " + WideToUtf8String(wide);
  text.resize(Utf8CutPoint(text, kTitleLogBytes));
  pass.sends.retitles.push_back({title, entry.ProgramKey(), entry.reserveId, std::move(text)});
}

// Queued, and counted as in the history from now on, so a later condition
// that finds the programme too leaves it to this one.
void QueueReservation(Pass& pass, IniSection& section, const EpgEvent& event, int condition) {
  AutoReserveAdd add{AutoReserveLine(section, event), AutoReserveTitle(section, event, TitleUse::kAdd), {}};
  add.line.title = LineText(add.title);
  const std::uint64_t key = ProgramKey(event.eventId, ServiceKey(event.originalNetworkId,
                                                                 event.transportStreamId, event.serviceId));
  add.token = HistoryToken(key, condition);
  AddHistoryLookupToken(pass.inHistory, add.token);
  pass.sends.adds.push_back(std::move(add));
}

// True when a title changed. A failed change restarts nothing: the
// recorder holds what it held.
bool SendTitleChanges(const std::vector<AutoReserveRetitle>& retitles) {
  bool changed = false;
  for (const AutoReserveRetitle& change : retitles) {
    const bool ok = ChangeReservationTitle(change.title, change.programKey, change.reserveId);
    LogWrite(ok ? "自動予約タイトル更新:%s\n" : "自動予約タイトル更新失敗:%s\n", change.logText.c_str());
    changed = changed || ok;
  }
  return changed;
}

// The queued reservations, each answered on its own; `tokens` gets the
// history tokens of those added. The others stay out of the history, so
// the next pass tries them again.
void SendQueuedReservations(const IniFile& settings, const std::vector<AutoReserveAdd>& adds,
                            std::vector<std::wstring>& tokens) {
  std::vector<ReserveLine> lines;
  lines.reserve(adds.size());
  for (const AutoReserveAdd& add : adds) lines.push_back(add.line);
  const std::vector<AddOutcome> outcomes = AddNewReservations(settings, lines);
  bool unreachable = false;
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    if (outcomes[i] == AddOutcome::kUnreachable) unreachable = true;
    if (outcomes[i] != AddOutcome::kAdded) continue;
    tokens.push_back(adds[i].token);
    LogWrite("自動予約:%s\n", WideToUtf8String(adds[i].title).c_str());
  }
  if (unreachable) LogWrite("EpgTimerSrvに接続できないため自動予約を中断しました\n");
  if (!tokens.empty()) ArmSyoboiUploadTimer();
}

// The pruned history the pass began from, with the new tokens; when a page
// or another pass changed the stored one meanwhile (the store was let go
// for the sends), that one instead, pruned by the next pass.
void SaveHistory(IniFile& settings, const AutoReserveSends& sends, const std::vector<std::wstring>& tokens) {
  const auto lock = settings.Lock();
  const std::wstring stored = settings.GetString(kAutoReserveSettings, kAutoReserveHistoryKey).value_or(L"");
  std::wstring history = stored == sends.storedHistory ? sends.history : stored;
  for (const std::wstring& token : tokens) {
    if (FindHistoryToken(history, token) == std::wstring::npos) AppendHistoryToken(history, token);
  }
  settings.SetString(kAutoReserveSettings, kAutoReserveHistoryKey, history);
}

void ReserveHits(Pass& pass, int condition, const std::vector<SearchHit>& hits) {
  IniSection section(pass.settings);
  if (!section.Select(AutoReserveSectionName(condition).c_str(), false)) return;
  for (const SearchHit hit : hits) {
    const EpgEvent* stored = FindHitEvent(hit);
    if (stored == nullptr) continue;
    // Nothing here reads the reserved marks, so the stored event is read as
    // it is (and only written under the store's lock).
    const EpgEvent& event = *stored;
    const ReserveEntry* entry = FindReserve(
        pass.lists, ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId), event.eventId);
    const bool inHistory = HistoryHasKey(pass.inHistory, hit);
    if (entry != nullptr) {
      if (pass.update && inHistory) UpdateTitle(pass, section, event, *entry);
    } else if (!inHistory) {
      QueueReservation(pass, section, event, condition);
    }
  }
}

// The enabled conditions, searched in one walk over the store; their hits
// are then reserved condition by condition, as if each had been searched
// in turn (nothing a reservation changes bears on a search).
void RunConditions(Pass& pass, int count, int days) {
  std::vector<int> numbers;
  std::vector<SearchCondition> searches;
  const std::wstring normalizeList = SearchNormalizeList(pass.settings);
  for (int condition = 1; condition <= count; ++condition) {
    const std::wstring name = AutoReserveSectionName(condition);
    if (pass.settings.GetIntDefault(name.c_str(), L"ENABLE", 0) == 0) continue;
    numbers.push_back(condition);
    searches.push_back(ReadSearchCondition(pass.settings, name, normalizeList));
  }
  const std::vector<std::vector<SearchHit>> hits = RunSearchConditions(searches, days, LocalNowTicks());
  for (std::size_t i = 0; i < numbers.size(); ++i) ReserveHits(pass, numbers[i], hits[i]);
}

}  // namespace

std::wstring AutoReserveSectionName(int number) {
  wchar_t name[32];
  std::swprintf(name, 32, L"AUTORESERVE_%02d", number);
  return name;
}

int AutoReserveConditionCount(const IniFile& settings) {
  const int count = settings.GetIntDefault(kAutoReserveSettings, L"AUTORESERVECOUNT", kDefaultConditionCount);
  return count < 1 || count > kMaxConditionCount ? kDefaultConditionCount : count;
}

std::wstring AutoReserveTitle(IniSection& section, const EpgEvent& event, TitleUse use) {
  switch (section.GetIntDefault(nullptr, L"TITLETYPE", 0)) {
    case 2: {
      if (use == TitleUse::kAdd) return MakeTitleByCommand(section, event, true, false);
      if (use == TitleUse::kPreview) return MakeTitleByCommand(section, event, false, false);
      std::wstring title = MakeTitleByCommand(section, event, false, true);
      return IsBlankText(title) ? event.Title() : title;
    }
    case 1: return MakeReservationTitle(event);
    default: return event.Title();
  }
}

ReserveLine AutoReserveLine(const IniSection& section, const EpgEvent& event) {
  ReserveLine line;
  const std::uint64_t serviceKey = ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId);
  line.station = StationOf(serviceKey);
  line.batchPath = LineText(section.GetString(nullptr, L"EXT2").value_or(L""));
  line.networkId = event.originalNetworkId;
  line.transportStreamId = event.transportStreamId;
  line.serviceId = event.serviceId;
  line.eventId = event.eventId;
  line.start = event.start;
  line.durationHours = static_cast<std::int32_t>(event.durationSeconds / 3600);
  line.durationMinutes = static_cast<std::int32_t>(event.durationSeconds / 60 % 60);
  line.durationSeconds = static_cast<std::int32_t>(event.durationSeconds % 60);
  // Hand-edited sections may lack these; each falls back on the one before.
  int chained = section.GetIntDefault(nullptr, L"TITLETYPE", 0);
  for (auto [key, field] : {std::pair{L"PRIORITY", &line.priority}, std::pair{L"FORROW", &line.follow},
                            std::pair{L"RECMODE", &line.recordMode}, std::pair{L"EXT1", &line.pittari}}) {
    chained = section.GetIntDefault(nullptr, key, chained);
    *field = chained;
  }
  line.recFolder = LineText(section.GetString(nullptr, L"RECDIR").value_or(L""));
  line.postAction = section.GetIntDefault(nullptr, L"POSTACTION", 4);
  line.resumeRestart = section.GetIntDefault(nullptr, L"RESUMERESTART", 0);
  line.marginEnable = section.GetIntDefault(nullptr, L"MARGIN_ENABLE", 0);
  line.marginStart = section.GetIntDefault(nullptr, L"MARGIN_START", 0);
  line.marginEnd = section.GetIntDefault(nullptr, L"MARGIN_END", 0);
  line.serviceOptions = section.GetIntDefault(nullptr, L"SERVICE", 0);
  return line;
}

AutoReserveSends PlanAutoReservePass(IniFile& settings, const ReserveLists& lists) {
  AutoReserveSends sends;
  {
    const auto lock = settings.Lock();
    sends.storedHistory = settings.GetString(kAutoReserveSettings, kAutoReserveHistoryKey).value_or(L"");
    sends.history = LoadAutoReserveHistory(settings).pruned;
  }
  Pass pass{settings, lists, ReadHistoryLookup(sends.history), false, std::move(sends)};
  pass.update = settings.GetIntDefault(kAutoReserveSettings, L"AUTORESERVEUPDATE", 0) != 0;
  const int days = settings.GetIntDefault(kAutoReserveSettings, L"AUTORESERVEDAYS", kDefaultSearchDays);
  const int count = AutoReserveConditionCount(settings);
  RunConditions(pass, count, days);
  return std::move(pass.sends);
}

bool SendAutoReservePass(IniFile& settings, AutoReserveSends sends) {
  if (sends.adds.empty() && sends.retitles.empty()) return false;
  const bool retitled = SendTitleChanges(sends.retitles);
  std::vector<std::wstring> tokens;
  if (!sends.adds.empty()) SendQueuedReservations(settings, sends.adds, tokens);
  if (!retitled && tokens.empty()) return false;
  // The text-file recorder reads what was appended when it starts again.
  RestartEpgTimerBon(settings, nullptr, false);
  SaveHistory(settings, sends, tokens);
  (void)SaveSettings(settings);
  return true;
}

bool RunAutoReservePass(IniFile& settings, const ReserveLists& lists) {
  return SendAutoReservePass(settings, PlanAutoReservePass(settings, lists));
}

bool AutoReserveAsksServer(const IniFile& settings) {
  return settings.GetIntDefault(kAutoReserveSettings, L"ENABLE", 0) != 0 && EpgTimerSrvMode();
}

// The list as last loaded, never waiting for the server: this runs on the
// main loop. Programmes the server holds already are dropped again when the
// adds are sent, which asks the server for its list first.
ReserveSnapshot FetchAutoReserveLists(const IniFile& settings) {
  if (settings.GetIntDefault(kAutoReserveSettings, L"ENABLE", 0) == 0) return nullptr;
  return ReserveListAsLoaded(settings);
}

void RunAutoReserve(IniFile& settings) {
  if (settings.GetIntDefault(kAutoReserveSettings, L"ENABLE", 0) == 0) return;
  // The list as last loaded: the pass holds the EPG busy flag, so it must
  // not wait for the server. Its own earlier adds are in the history.
  const ReserveSnapshot lists = ReserveListAsLoaded(settings);
  SendAutoReserveInTurn(settings, PlanAutoReservePass(settings, *lists));
}

}  // namespace plimod
