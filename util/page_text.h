#pragma once
// Texts from outside the program (EPG data, stored settings) as pages write
// them: < > " ' become character references so they can neither add markup
// nor end an attribute of either quote style; & stays, because stored texts
// already carry references (a typed "<" is stored as "&lt;").

#include <string>
#include <string_view>

namespace plimod {

// Escaped UTF-8 text.
std::string PageText(std::string_view utf8);
std::string PageText(std::wstring_view text);

}  // namespace plimod
