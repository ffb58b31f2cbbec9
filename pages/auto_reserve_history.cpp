#include "pages/auto_reserve_history.h"

#include <cwchar>

#include "epg/epg_index.h"
#include "guide/grid_layout.h"
#include "pages/search_hit_preview.h"
#include "platform/text_codec.h"
#include "settings/settings.h"
#include "util/conversions.h"
#include "util/keys.h"

namespace plimod {

namespace {

constexpr std::size_t kRemovedTokenMaxChars = 64;

std::wstring StoredHistory(const IniFile& settings) {
  return settings.GetString(kAutoReserveSettings, kAutoReserveHistoryKey).value_or(L"");
}

// Before the first event that does not start later than `event`.
void InsertLatestFirst(std::vector<EpgEvent>& events, const EpgEvent& event) {
  auto at = events.begin();
  while (at != events.end() && CompareEventStart(event, *at)) ++at;
  events.insert(at, event);
}

int ConditionAfterKey(std::wstring_view history, std::uint64_t programKey) {
  const std::wstring key = HistoryKeyText(programKey);
  const std::size_t at = FindHistoryToken(history, key);
  if (at == std::wstring_view::npos) return 0;
  const std::size_t after = at + key.size();
  if (after >= history.size() || history[after] != L'_') return 0;
  return static_cast<int>(ParseHex32W(history.substr(after + 1)));
}

}  // namespace

std::wstring HistoryKeyText(std::uint64_t programKey) {
  wchar_t text[24];
  std::swprintf(text, 24, L"%016llx", static_cast<unsigned long long>(programKey));
  return text;
}

std::wstring HistoryToken(std::uint64_t programKey, int condition) {
  wchar_t number[16];
  std::swprintf(number, 16, L"_%x", static_cast<unsigned>(condition));
  return HistoryKeyText(programKey) + number;
}

std::size_t FindHistoryToken(std::wstring_view history, std::wstring_view token) {
  if (token.empty()) return std::wstring_view::npos;
  for (std::size_t at = history.find(token); at != std::wstring_view::npos; at = history.find(token, at + 1)) {
    if (at == 0 || history[at - 1] == L' ') return at;
  }
  return std::wstring_view::npos;
}

bool EraseHistoryTokens(std::wstring& history, std::wstring_view token) {
  bool erased = false;
  for (std::size_t at = FindHistoryToken(history, token); at != std::wstring::npos;
       at = FindHistoryToken(history, token)) {
    const std::size_t blank = history.find(L' ', at);
    history.erase(at, blank == std::wstring::npos ? std::wstring::npos : blank - at + 1);
    erased = true;
  }
  // Erasing the last token leaves the blank before it.
  while (!history.empty() && history.back() == L' ') history.pop_back();
  return erased;
}

void AppendHistoryToken(std::wstring& history, std::wstring_view token) {
  if (!history.empty()) history += L' ';
  history += token;
}

AutoReserveHistory LoadAutoReserveHistory(const IniFile& settings) {
  AutoReserveHistory history;
  const std::wstring stored = StoredHistory(settings);
  std::size_t pos = 0;
  while (pos < stored.size()) {
    if (stored[pos] == L' ') {
      ++pos;
      continue;
    }
    const std::size_t end = std::min(stored.find(L' ', pos), stored.size());
    const std::wstring_view token = std::wstring_view(stored).substr(pos, end - pos);
    pos = end;
    const EpgEvent* event = FindHitEvent(ParseHex64W(token));
    if (event == nullptr) continue;
    InsertLatestFirst(history.events, *event);
    if (token.size() <= kHistoryTokenMaxChars) AppendHistoryToken(history.pruned, token);
  }
  return history;
}

int FindAutoReserveNoForKey(const IniFile& settings, std::uint32_t keyLow, std::uint32_t keyHigh) {
  return ConditionAfterKey(StoredHistory(settings), (std::uint64_t{keyHigh} << 32) | keyLow);
}

int FindAutoReserveNoForEvent(const IniFile& settings, const EpgEvent& event) {
  const std::uint64_t key =
      ProgramKey(event.eventId, ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId));
  return ConditionAfterKey(StoredHistory(settings), key);
}

bool RemoveAutoReserveHistoryEntry(IniFile& settings, std::string_view utf8Token) {
  std::wstring history = LoadAutoReserveHistory(settings).pruned;
  std::wstring token = Utf8ToWide(utf8Token);
  if (token.size() > kRemovedTokenMaxChars) token.resize(kRemovedTokenMaxChars);
  EraseHistoryTokens(history, token);
  settings.SetString(kAutoReserveSettings, kAutoReserveHistoryKey, history);
  return SaveSettings(settings);
}

}  // namespace plimod
