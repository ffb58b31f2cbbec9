#pragma once
// An event's title, short text or extended text for a page, with the words
// of the search condition it matched marked as
// "<font class=marker>...</font>". Marks are written only while the page's
// mark switch (epg/mark_switch.h) is 1 and the event carries a condition
// number. The text itself is escaped for HTML, so whatever the broadcast
// data holds, the result is well-formed.

#include <cstddef>
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

// The first occurrence in `normalized` of every "&" part of every
// blank-separated term of `word` (normalised with `userList`; at most 64
// terms and 64 parts each), sorted, with overlapping and touching ranges
// merged.
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

}  // namespace plimod
