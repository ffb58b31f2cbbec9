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

}  // namespace

std::vector<std::wstring> MarkWordParts(std::wstring_view word, std::wstring_view userList) {
  std::wstring folded(word);
  NormalizeText(folded, userList);
  std::vector<std::wstring> terms;
  SplitToVector(folded, L' ', terms);
  if (terms.size() > kHighlightTerms) terms.resize(kHighlightTerms);
  std::vector<std::wstring> allParts;
  for (const std::wstring& term : terms) {
    std::vector<std::wstring> parts;
    SplitToVector(term, L'&', parts);
    if (parts.size() > kHighlightParts) parts.resize(kHighlightParts);
    for (std::wstring& part : parts) allParts.push_back(std::move(part));
  }
  return allParts;
}

std::vector<MarkRange> FindMarkRanges(std::wstring_view normalized,
                                      const std::vector<std::wstring>& parts) {
  std::vector<MarkRange> ranges;
  for (const std::wstring& part : parts) {
    std::size_t at = normalized.find(part);
    if (at != std::wstring_view::npos) ranges.emplace_back(at, at + part.size());
  }
  return MergeRanges(std::move(ranges));
}

std::vector<MarkRange> FindMarkRanges(std::wstring_view normalized, std::wstring_view word,
                                      std::wstring_view userList) {
  return FindMarkRanges(normalized, MarkWordParts(word, userList));
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
  return SearchMarks(Settings()).Highlight(fieldIndex, event);
}

const ConditionMarks& SearchMarks::ConditionFor(std::uint32_t number) const {
  auto [found, added] = conditions_.try_emplace(number);
  ConditionMarks& marks = found->second;
  if (!added) return marks;
  const std::wstring section = SearchSectionName(static_cast<int>(number));
  if (!settings_.HasSection(section.c_str())) return marks;
  for (int field = 0; field < 3; ++field) {
    const wchar_t* key = TextsOf(field).conditionKey;
    marks.fields[field] = settings_.GetIntDefault(section.c_str(), key, 0) == 1;
  }
  std::wstring word = settings_.GetString(section.c_str(), L"WORD").value_or(L"");
  if (word.size() > kConditionWordChars) word.resize(kConditionWordChars);
  if (word.empty() || word.front() == L'/') return marks;
  if (!userList_) userList_ = SearchNormalizeList(settings_);
  marks.parts = MarkWordParts(word, *userList_);
  return marks;
}

std::string SearchMarks::Highlight(int fieldIndex, const EpgEvent& event) const {
  const FieldTexts texts = TextsOf(fieldIndex);
  const std::wstring text = Utf16ToWide(event.Text(texts.stored));
  const std::uint32_t number = ConditionNumberOf(event);
  if (MarkSwitch.load() != 1 || number == 0) return PageText(text);
  const ConditionMarks& marks = ConditionFor(number);
  const int field = fieldIndex == 1 || fieldIndex == 2 ? fieldIndex : 0;
  if (!marks.fields[field] || marks.parts.empty()) return PageText(text);
  return WriteMarkedText(text, FindMarkRanges(Utf16ToWide(event.Text(texts.normalized)),
                                              marks.parts));
}

}  // namespace plimod
