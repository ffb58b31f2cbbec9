#pragma once
// Text rules of the settings document's values, shared by IniFile and
// IniSection.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plimod {

// Every character below U+0020 except TAB becomes a blank, so a stored text
// can neither end its line early nor make the file fail to load.
std::wstring SanitizeIniText(std::wstring_view text);

// Whether a stored (sanitized) name equals `query` once that is sanitized.
bool SameIniText(std::wstring_view stored, std::wstring_view query);

// Wide atoi: leading blanks, an optional sign, then digits; 0 when there
// are none; clamped to the int range.
int IniTextToInt(std::wstring_view text);

// Numbers separated by commas, blanks allowed around each; stops at the
// first number not followed by "," or when `values` is full. A blank or
// empty text holds no number.
int ParseIniIntList(std::wstring_view text, std::span<int> values);
// "1,2,3"; numbers that would take the text past 1023 characters are left
// out (the text never ends with ",").
std::wstring FormatIniIntList(std::span<const int> values);

// Copies `value` into a caller's buffer of `size` characters: the buffer is
// emptied first (when given and size > 0); a value of `size` characters or
// more is cut to size - 1. Returns the length copied, the full length when
// there is no buffer, -1 when the value is missing.
int CopyIniValue(const std::optional<std::wstring>& value, wchar_t* buffer, int size);

}  // namespace plimod
