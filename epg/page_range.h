#pragma once
// Paging of the channel columns: which items the `page` and `limit`
// parameters put on the current page.

#include <string_view>

namespace plimod {

inline constexpr int kDefaultPageLimit = 10;

// Whether the 1-based `item` of `count` items falls on the page that the
// `page` and `limit` parameter values ask for. "all" shows every item; a
// page below 1 (or not a number) is 1, a page past the last is the last; a
// limit below 1 (or not a number) is 10.
bool PageRange(std::string_view page, std::string_view limit, int item, int count);

}  // namespace plimod
