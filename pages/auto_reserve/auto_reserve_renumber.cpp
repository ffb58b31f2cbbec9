#include "pages/auto_reserve/auto_reserve_renumber.h"

#include <cwchar>
#include <string>
#include <vector>

#include "pages/auto_reserve/auto_reserve.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "settings/settings.h"

namespace plimod {

namespace {

constexpr std::size_t kKeyDigits = 16;

std::wstring NumberSuffix(int number) {
  wchar_t suffix[16];
  std::swprintf(suffix, 16, L"_%x", static_cast<unsigned>(number));
  return suffix;
}

bool IsUsed(const IniFile& settings, int number) {
  return settings.HasKey(AutoReserveSectionName(number).c_str(), L"ENABLE");
}

void MoveTokens(std::vector<std::wstring>& tokens, int from, int to) {
  const std::wstring oldSuffix = NumberSuffix(from);
  for (std::wstring& token : tokens) {
    if (token.size() >= kKeyDigits && token.compare(kKeyDigits, std::wstring::npos, oldSuffix) == 0) {
      token.replace(kKeyDigits, std::wstring::npos, NumberSuffix(to));
    }
  }
}

std::vector<std::wstring> SplitTokens(const std::wstring& history) {
  std::vector<std::wstring> tokens;
  std::size_t pos = 0;
  while (pos < history.size()) {
    const std::size_t blank = std::min(history.find(L' ', pos), history.size());
    if (blank > pos) tokens.push_back(history.substr(pos, blank - pos));
    pos = blank + 1;
  }
  return tokens;
}

}  // namespace

bool RenumberAutoReserveConditions(IniFile& settings) {
  const auto lock = settings.Lock();
  std::vector<std::wstring> tokens = SplitTokens(LoadAutoReserveHistory(settings).pruned);
  const int count = AutoReserveConditionCount(settings);
  int next = 0;
  for (int number = 1; number <= count; ++number) {
    if (!IsUsed(settings, number)) continue;
    if (++next == number) continue;
    const std::wstring target = AutoReserveSectionName(next);
    // A section without ENABLE counts as free; it must not shadow the one
    // that takes its name.
    settings.DeleteSection(target.c_str());
    settings.RenameSection(AutoReserveSectionName(number).c_str(), target.c_str());
    MoveTokens(tokens, number, next);
  }
  std::wstring history;
  for (const std::wstring& token : tokens) AppendHistoryToken(history, token);
  settings.SetString(kAutoReserveSettings, kAutoReserveHistoryKey, history);
  return SaveSettings(settings);
}

}  // namespace plimod
