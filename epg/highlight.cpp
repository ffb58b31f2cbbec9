#include "epg/highlight.h"

#include <algorithm>

#include "epg/search_condition.h"
#include "epg/search_match.h"
#include "platform/text_codec.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "util/conversions.h"
#include "util/page_text.h"
#include "util/split.h"
#include "util/text_normalize.h"

namespace plimod {
namespace {

constexpr std::size_t kHighlightTerms = 64;
constexpr std::size_t kHighlightParts = 64;
constexpr std::string_view kMarkerOpen = "<font class=marker>";
constexpr std::string_view kMarkerClose = "</font>";

std::vector<MarkRange> MergeRanges(std::vector<MarkRange> ranges) {
  std::sort(ranges.begin(), ranges.end());
  std::vector<MarkRange> merged;
  for (const MarkRange& range : ranges) {
    if (!merged.empty() && range.first <= merged.back().second) {
      merged.back().second = std::max(merged.back().second, range.second);
    } else {
      merged.push_back(range);
    }
  }
  return merged;
}

struct FieldTexts {
  EventText stored;
  EventText normalized;
  const wchar_t* conditionKey;
};

FieldTexts TextsOf(int fieldIndex) {
  switch (fieldIndex) {
    case 1: return {EventText::kShortText, EventText::kNormalizedShortText, L"SEARCH_EXPLANATION"};
    case 2:
      return {EventText::kExtendedText, EventText::kNormalizedExtendedText, L"SEARCH_DETAIL"};
    default: return {EventText::kTitle, EventText::kNormalizedTitle, L"SEARCH_TITLE"};
  }
}

// The ranges to mark in a field, empty when nothing is to be marked.
std::vector<MarkRange> RangesForField(const FieldTexts& texts, const EpgEvent& event) {
  const std::uint32_t number = ConditionNumberOf(event);
  if (MarkSwitch.load() != 1 || number == 0) return {};
  const IniFile& settings = Settings();
  const std::wstring section = SearchSectionName(static_cast<int>(number));
  if (!settings.HasSection(section.c_str())) return {};
  if (settings.GetIntDefault(section.c_str(), texts.conditionKey, 0) != 1) return {};
  std::wstring word = settings.GetString(section.c_str(), L"WORD").value_or(L"");
  if (word.size() > kConditionWordChars) word.resize(kConditionWordChars);
  if (word.empty() || word.front() == L'/') return {};
  return FindMarkRanges(Utf16ToWide(event.Text(texts.normalized)), word,
                        SearchNormalizeList(settings));
}

}  // namespace

std::vector<MarkRange> FindMarkRanges(std::wstring_view normalized, std::wstring_view word,
                                      std::wstring_view userList) {
  std::wstring folded(word);
  NormalizeText(folded, userList);
  std::vector<std::wstring> terms;
  SplitToVector(folded, L' ', terms);
  if (terms.size() > kHighlightTerms) terms.resize(kHighlightTerms);
  std::vector<MarkRange> ranges;
  for (const std::wstring& term : terms) {
    std::vector<std::wstring> parts;
    SplitToVector(term, L'&', parts);
    if (parts.size() > kHighlightParts) parts.resize(kHighlightParts);
    for (const std::wstring& part : parts) {
      std::size_t at = normalized.find(part);
      if (at != std::wstring_view::npos) ranges.emplace_back(at, at + part.size());
    }
  }
  return MergeRanges(std::move(ranges));
}

std::string WriteMarkedText(std::wstring_view text, const std::vector<MarkRange>& ranges) {
  std::string out;
  out.reserve(text.size() * 3 + ranges.size() * (kMarkerOpen.size() + kMarkerClose.size()));
  std::size_t pos = 0;
  for (const auto& [begin, rangeEnd] : ranges) {
    const std::size_t end = std::min(rangeEnd, text.size());
    if (begin < pos || begin >= end) continue;
    out += PageText(text.substr(pos, begin - pos));
    out += kMarkerOpen;
    out += PageText(text.substr(begin, end - begin));
    out += kMarkerClose;
    pos = end;
  }
  out += PageText(text.substr(std::min(pos, text.size())));
  return out;
}

std::string HighlightSearchWords(int fieldIndex, const EpgEvent& event) {
  const FieldTexts texts = TextsOf(fieldIndex);
  return WriteMarkedText(Utf16ToWide(event.Text(texts.stored)), RangesForField(texts, event));
}

}  // namespace plimod
