#pragma once
// Names of the twelve genre numbers (the first byte of an event's genre
// entry) that search conditions name in their GENRE key.

#include <string_view>

namespace plimod {

inline constexpr int kGenreNameCount = 12;

// The name of a genre number; empty for numbers without a name (12 and
// above, and negative ones).
std::wstring_view GenreName(int number);

}  // namespace plimod
