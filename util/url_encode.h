#pragma once

#include <string>
#include <string_view>

namespace plimod {

// Form encoding: letters, digits and "*-._" stay, a blank becomes "+",
// every other byte "%XX" with upper-case hex digits.
std::string UrlEncodeForm(std::string_view text);

}  // namespace plimod
