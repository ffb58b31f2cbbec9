#pragma once
// Full-width katakana and punctuation to their half-width forms, as narrow
// displays (mobile pages) want them.

#include <string>

namespace plimod {

// New string: letters and digits to ASCII, U+3000 to a blank, katakana and
// Japanese punctuation to half-width forms (voiced kana become two
// characters), a few full-width signs to ASCII; anything else is copied.
std::wstring ToHalfWidthKana(const std::wstring& text);

}  // namespace plimod
