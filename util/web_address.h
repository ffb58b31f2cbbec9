#pragma once
// Whether a stored address may become a link: only web addresses do, so a
// "javascript:" or "data:" text from the settings never runs in a page.

#include <string_view>

namespace plimod {

// True when the text begins with "http://" or "https://" (any letter case).
bool IsWebAddress(std::string_view url);

}  // namespace plimod
