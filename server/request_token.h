#pragma once
// The request token: 32 random characters made once at start. Every form
// that changes settings carries it in its `token` field, so a page of
// another site cannot post a change it could not read first.

#include <string>
#include <string_view>

namespace plimod {

inline constexpr std::size_t kRequestTokenLength = 32;

// Makes a new token (from the system's random source) and returns it.
const std::string& MakeRequestToken();
// The token made last; empty before the first MakeRequestToken.
const std::string& GetRequestToken();
// True when `text` equals the token exactly; never for an empty text.
bool CheckRequestToken(std::string_view text);

}  // namespace plimod
