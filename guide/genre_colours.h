#pragma once
// The genre colour entries of [GENRECOLOR]: the twelve genre names and
// "ジャンル無し", each with the colour the programme table uses when the key
// is missing. The table and the genre colour page read the same entries.

#include <string>
#include <string_view>

namespace plimod {

inline constexpr int kGenreColourCount = 13;

// The key of entry 0..12; empty outside.
std::wstring_view GenreColourKey(int index);
// The default colour of entry 0..12 as "#rrggbb"; empty outside.
std::string DefaultGenreColour(int index);

}  // namespace plimod
