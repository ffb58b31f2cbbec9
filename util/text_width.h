#pragma once
// Conversions between full-width and ASCII letters and digits. Full-width
// digits (U+FF10..FF19), capitals (U+FF21..FF3A) and small letters
// (U+FF41..FF5A) sit 0xFEE0 above their ASCII forms.

#include <string>

namespace plimod {

// Full-width letters and digits to ASCII; U+3000 to a blank.
std::wstring ToHalfWidthAlnum(const std::wstring& text);
// The same conversion; the title template calls it under this name.
std::wstring ToHalfWidthAlnumCopy(const std::wstring& text);

// In place: ASCII letters and digits to full width, U+3000 to a blank, and
// full-width capitals to full-width small letters. The folded form in which
// search words and texts are compared.
void toFullWidthLower(std::wstring& text);

// As ToHalfWidthAlnum, and also U+FF0D, U+2212 and "-" become blanks.
std::wstring ToHalfWidthForMatch(const std::wstring& text);

}  // namespace plimod
