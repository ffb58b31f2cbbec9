#pragma once
// Reading small tokens from the front of a text.

#include <cstddef>
#include <string>
#include <string_view>

namespace plimod {

// The index just after `prefix` when `text` begins with it, else 0.
std::size_t SkipPrefix(std::wstring_view text, std::wstring_view prefix);

// Reads "'token'" (the opening quote optional) from the front of `text`.
// When the closing quote is missing, or the token has `capacity` characters
// or more, `out` is left unchanged and the index after the optional opening
// quote is given. Else `out` receives the token and the index after the
// closing quote is given.
std::size_t ParseQuotedToken(std::wstring_view text, std::wstring& out, std::size_t capacity);

}  // namespace plimod
