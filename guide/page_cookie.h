#pragma once
// The cookies that remember a default view per mode: `defepg`, `defstation`
// and `defsearch`. Their values are query texts with % & = escaped.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "guide/page_state.h"
#include "server/request_parameters.h"

namespace plimod {

// The cookie text the dispatcher looks at: the Cookie header cut at 512 bytes.
inline constexpr std::size_t kCookieTextMax = 512;

const char* CookieNameOf(PageMode mode);

// "%" -> "%25", then "&" -> "%26", then "=" -> "%3D".
std::string EscapeCookieValue(std::string_view value);
// The reverse, in one pass.
std::string UnescapeCookieValue(std::string_view value);

// The value of the cookie `name` in a Cookie header: the first cookie of
// exactly that name (at the start or after ";"), up to the next ";".
// Nothing when no such cookie has an "=".
std::optional<std::string> FindCookieValue(std::string_view header, std::string_view name);

// Fills the parameters the request left absent or empty from the mode's
// cookie in `header` (cut at 512 bytes).
void ApplyCookieDefaults(RequestParameters& params, std::string_view header, PageMode mode);

// "Set-Cookie: <name>=<value>; expires=<date>\n" for the view, expiring 365
// days after `now`.
std::string CookieLine(PageMode mode, const PageState& state, std::time_t now);

}  // namespace plimod
