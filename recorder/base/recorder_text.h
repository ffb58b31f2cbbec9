#pragma once
// Clean-ups of texts on their way to the recorders' files and server, and
// of reservation titles.

#include <cstddef>
#include <string>
#include <string_view>

namespace plimod {

// Characters below U+0020 (TAB, CR, LF included) become blanks, so a text
// can neither shift the fields of a line nor start a new one; "&lt;" and
// "&gt;", which the request parser made of a typed "<" and ">", become
// those characters again. The narrow form takes code page 932, in which
// none of these bytes is ever the second byte of a character.
std::string CleanRecorderText(std::string_view cp932);
std::wstring CleanRecorderText(std::wstring_view text);

// Removes the quotes of a text that begins with a double quote whose next
// double quote is its last character; any other text stays as it is.
void StripQuotes(std::string& cp932);

// Removes every character below U+0020, then cuts the text to `n`
// characters when 1 <= n < its length.
void RemoveControlChars(std::wstring& text, std::size_t n);
// Every TAB becomes a blank.
void TabsToBlanks(std::wstring& text);

}  // namespace plimod
