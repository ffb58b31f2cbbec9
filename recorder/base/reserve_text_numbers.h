#pragma once
// Numbers in the recorder's text files, read the way its own readers do.

#include <cstddef>
#include <string_view>

namespace plimod {

// atoi: leading blanks, an optional sign, then digits; 0 when there are
// none. Clamped to the int range instead of overflowing.
int LeadingInt(std::string_view text);
// LeadingInt from character `offset` on ("2024/05/06" has numbers at 0, 5
// and 8); 0 when the text is shorter.
int LeadingIntAt(std::string_view text, std::size_t offset);

}  // namespace plimod
