#pragma once
// An event's title, short text or extended text for a page, with the words
// of the search condition it matched marked as
// "<font class=marker>...</font>". Marks are written only while the page's
// mark switch (epg/mark_switch.h) is 1 and the event carries a condition
// number. The text itself is escaped for HTML, so whatever the broadcast
// data holds, the result is well-formed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "epg/epg_event.h"
#include "epg/mark_switch.h"

namespace plimod {

enum class EventTextField { kTitle = 0, kShortText = 1, kExtendedText = 2 };

// A span [begin, end) of a text to mark.
using MarkRange = std::pair<std::size_t, std::size_t>;

class IniFile;

// Every "&" part of every blank-separated term of `word`, normalised with
// `userList` (at most 64 terms and 64 parts each).
std::vector<std::wstring> MarkWordParts(std::wstring_view word, std::wstring_view userList);

// The first occurrence in `normalized` of each part, sorted, with
// overlapping and touching ranges merged.
std::vector<MarkRange> FindMarkRanges(std::wstring_view normalized,
                                      const std::vector<std::wstring>& parts);
// The same for the parts of `word`.
std::vector<MarkRange> FindMarkRanges(std::wstring_view normalized, std::wstring_view word,
                                      std::wstring_view userList);

// `text` escaped for an element's content, with the ranges (sorted and
// disjoint) wrapped in the marker tags, as UTF-8.
std::string WriteMarkedText(std::wstring_view text, const std::vector<MarkRange>& ranges);

// The field 0 (title), 1 (short text) or 2 (extended text) of the event as
// UTF-8 for a page, marked by the condition SEARCH_%02d of its condition
// number in Settings() when MarkSwitch is 1. The condition's key for the
// field (SEARCH_TITLE, SEARCH_EXPLANATION, SEARCH_DETAIL) must be 1 (a
// missing key counts as 0 here), and an expression WORD marks nothing.
std::string HighlightSearchWords(int fieldIndex, const EpgEvent& event);

// What marking needs of one search condition.
struct ConditionMarks {
  std::array<bool, 3> fields{};     // the field's key is 1
  std::vector<std::wstring> parts;  // empty: nothing to mark
};

// HighlightSearchWords for a page of many cells: each condition is read
// from `settings` when first met and kept for the page, which must not
// outlive `settings`.
class SearchMarks {
 public:
  explicit SearchMarks(const IniFile& settings) : settings_(settings) {}
  std::string Highlight(int fieldIndex, const EpgEvent& event) const;

 private:
  const ConditionMarks& ConditionFor(std::uint32_t number) const;

  const IniFile& settings_;
  mutable std::optional<std::wstring> userList_;
  mutable std::map<std::uint32_t, ConditionMarks> conditions_;
};

}  // namespace plimod
