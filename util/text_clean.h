#pragma once
// Small clean-ups of wide text: one-character replacement and trimming.

#include <string>

namespace plimod {

// Replaces every `from` by `to` in place and gives a copy of the result.
std::wstring ReplaceChar(std::wstring& text, wchar_t from, wchar_t to);

// Removes white space (as "\s" classifies it in the UTF-8 locale) and
// ideographic spaces from both ends, in place. Inner lines are left alone.
void TrimSpaces(std::wstring& text);

}  // namespace plimod
