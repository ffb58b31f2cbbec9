#pragma once
// Title clean-ups used when comparing and naming programmes.

#include <string>

namespace plimod {

// Removes every "[..]" tag, then trims.
std::wstring StripBracketTags(const std::wstring& text);

// The series part of a title: leading "[..]" tags go, and the title is cut
// before the first "[", "#", "＃", blank or ideographic space followed by
// "第", or "「"; then trimmed.
std::wstring CutSeriesTitle(const std::wstring& text);

}  // namespace plimod
