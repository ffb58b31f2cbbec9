#pragma once
// Base64 with the standard alphabet and "=" padding.

#include <optional>
#include <string>
#include <string_view>

namespace plimod {

// The decoded bytes; nullopt for a character outside the alphabet, padding
// anywhere but at the end, or a length that no encoding has.
std::optional<std::string> Base64Decode(std::string_view text);
std::string Base64Encode(std::string_view bytes);

}  // namespace plimod
