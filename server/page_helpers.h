#pragma once
// Small operations the pages are written with.

#include <cstddef>
#include <string>
#include <string_view>

namespace plimod {

// " selected=selected" when set, else "".
const char* SelectedAttr(bool selected);
// " checked" when set, else "".
const char* CheckedAttr(bool checked);
// CheckedAttr(value != 0).
const char* CheckedAttrIf(int value);

// atoi of the text; 0 for an empty or non-numeric one.
int StringToInt(const std::string& text);
// Decimal text of the value.
std::string IntToString(int value);

// Decodes UTF-8 (1- to 4-byte forms) into at most `max_chars` characters.
// Stops at a NUL, at a byte that cannot begin a character, and at a sequence
// cut by the end of the text. Continuation bytes give their low six bits.
std::wstring DecodeUtf8(std::string_view text, std::size_t max_chars = std::wstring::npos);

// Cuts `text` to `width` columns: a character below U+0080 or a half-width
// katakana (U+FF61-U+FF9F) takes one column, any other two. A two-column
// character that meets only one free column becomes ".". A CR that would
// take the last column ends the text.
void ShortenToWidth(std::wstring& text, int width);

}  // namespace plimod
