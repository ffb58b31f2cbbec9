#pragma once
// The history of automatic reservations: [EPGDATACAP] AUTORESERVEHISTORY
// holds one token per reservation made, "<programme key as 16 hex digits>_<
// condition number in hex>", separated by blanks. A programme whose token is
// there is not reserved again, so a reservation the user deleted stays
// deleted. Tokens are found only at a token start (string start or after a
// blank), so a short text never matches inside another token.
//
// Functions that read the EPG store expect the caller to hold EpgBusyFlag.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "epg/epg_event.h"
#include "settings/ini_file.h"

namespace plimod {

inline constexpr const wchar_t* kAutoReserveSettings = L"EPGDATACAP";
inline constexpr const wchar_t* kAutoReserveHistoryKey = L"AUTORESERVEHISTORY";
// 16 digits, "_", and up to three digits of a condition number (999 = 3e7).
inline constexpr std::size_t kHistoryTokenMaxChars = 20;

struct AutoReserveHistory {
  // Copies of the events of the tokens still in the store, latest start
  // first; among equal starts the later token first.
  std::vector<EpgEvent> events;
  // The stored string without the tokens whose event left the store.
  std::wstring pruned;
};

// "%016llx" of the programme key.
std::wstring HistoryKeyText(std::uint64_t programKey);
// The key text, "_" and the condition number in lower-case hex.
std::wstring HistoryToken(std::uint64_t programKey, int condition);

// Position of `token` at a token start in `history`, npos when none.
std::size_t FindHistoryToken(std::wstring_view history, std::wstring_view token);
// Erases every token that begins with `token` (so "key_1" also takes
// "key_12"); an empty token erases nothing. True when something went.
bool EraseHistoryTokens(std::wstring& history, std::wstring_view token);
// Appends the token with one blank before it unless the history is empty.
void AppendHistoryToken(std::wstring& history, std::wstring_view token);

// The history read once, for callers that ask about many programmes: each
// programme key with the condition number of its first token (0 when that
// token has no "_" after the key), as FindAutoReserveNoForKey reads it.
struct HistoryLookup {
  std::unordered_map<std::uint64_t, int> conditionOfKey;
};
HistoryLookup ReadHistoryLookup(std::wstring_view history);
HistoryLookup ReadStoredHistoryLookup(const IniFile& settings);
// Adds one token; a key already there keeps its first token's number.
void AddHistoryLookupToken(HistoryLookup& lookup, std::wstring_view token);
bool HistoryHasKey(const HistoryLookup& lookup, std::uint64_t programKey);
int ConditionOfKey(const HistoryLookup& lookup, std::uint64_t programKey);
int ConditionOfEvent(const HistoryLookup& lookup, const EpgEvent& event);

// Rebuilds the history from the stored string and the EPG store.
AutoReserveHistory LoadAutoReserveHistory(const IniFile& settings);

// The condition that reserved the programme, 0 when none.
int FindAutoReserveNoForKey(const IniFile& settings, std::uint32_t keyLow, std::uint32_t keyHigh);
int FindAutoReserveNoForEvent(const IniFile& settings, const EpgEvent& event);

// Prunes the history, removes the UTF-8 token (at most 64 characters) and
// saves the settings, whether or not anything was removed; false when the
// save failed.
[[nodiscard]] bool RemoveAutoReserveHistoryEntry(IniFile& settings, std::string_view utf8Token);

}  // namespace plimod
