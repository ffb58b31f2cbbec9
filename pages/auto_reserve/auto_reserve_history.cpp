#include "pages/auto_reserve/auto_reserve_history.h"

#include <algorithm>
#include <cwchar>
#include <optional>

#include "epg/epg_index.h"
#include "guide/grid_layout.h"
#include "pages/search/search_hit_preview.h"
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

// Latest start first and, among equal starts, the later token first: what
// putting each event before the first that does not start later gives.
void SortLatestFirst(std::vector<EpgEvent>& events) {
  std::reverse(events.begin(), events.end());
  std::stable_sort(events.begin(), events.end(),
                   [](const EpgEvent& a, const EpgEvent& b) { return CompareEventStart(b, a); });
}

constexpr std::size_t kKeyChars = 16;

// The key of a token that begins with the sixteen lower-case digits
// HistoryKeyText writes; nothing for any other token.
std::optional<std::uint64_t> TokenKey(std::wstring_view token) {
  if (token.size() < kKeyChars) return std::nullopt;
  for (std::size_t i = 0; i < kKeyChars; ++i) {
    const wchar_t c = token[i];
    if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return std::nullopt;
  }
  return ParseHex64W(token.substr(0, kKeyChars));
}

// Calls `use` with each blank-separated token in order.
template <typename Use>
void ForEachToken(std::wstring_view history, Use use) {
  std::size_t pos = 0;
  while (pos < history.size()) {
    if (history[pos] == L' ') {
      ++pos;
      continue;
    }
    const std::size_t end = std::min(history.find(L' ', pos), history.size());
    use(history.substr(pos, end - pos));
    pos = end;
  }
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

HistoryLookup ReadHistoryLookup(std::wstring_view history) {
  HistoryLookup lookup;
  ForEachToken(history, [&](std::wstring_view token) { AddHistoryLookupToken(lookup, token); });
  return lookup;
}

HistoryLookup ReadStoredHistoryLookup(const IniFile& settings) { return ReadHistoryLookup(StoredHistory(settings)); }

void AddHistoryLookupToken(HistoryLookup& lookup, std::wstring_view token) {
  const std::optional<std::uint64_t> key = TokenKey(token);
  if (!key) return;
  const bool numbered = token.size() > kKeyChars && token[kKeyChars] == L'_';
  const int condition = numbered ? static_cast<int>(ParseHex32W(token.substr(kKeyChars + 1))) : 0;
  lookup.conditionOfKey.emplace(*key, condition);
}

bool HistoryHasKey(const HistoryLookup& lookup, std::uint64_t programKey) {
  return lookup.conditionOfKey.contains(programKey);
}

int ConditionOfKey(const HistoryLookup& lookup, std::uint64_t programKey) {
  const auto found = lookup.conditionOfKey.find(programKey);
  return found == lookup.conditionOfKey.end() ? 0 : found->second;
}

int ConditionOfEvent(const HistoryLookup& lookup, const EpgEvent& event) {
  return ConditionOfKey(
      lookup, ProgramKey(event.eventId, ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId)));
}

AutoReserveHistory LoadAutoReserveHistory(const IniFile& settings) {
  AutoReserveHistory history;
  const std::wstring stored = StoredHistory(settings);
  ForEachToken(stored, [&](std::wstring_view token) {
    const EpgEvent* event = FindHitEvent(ParseHex64W(token));
    if (event == nullptr) return;
    history.events.push_back(*event);
    if (token.size() <= kHistoryTokenMaxChars) AppendHistoryToken(history.pruned, token);
  });
  SortLatestFirst(history.events);
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
