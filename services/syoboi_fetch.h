#pragma once
// Requests to the calendar service. Its address is fixed; the environment
// variable SYOBOCAL_URL (a base URL such as "http://127.0.0.1:8080/")
// replaces it, which only the tests do.

#include <cstddef>
#include <string>

#include "services/http_client.h"

namespace plimod {

inline constexpr char kSyoboiHost[] = "cal.syoboi.jp";

// The service's base URL, ending with "/".
std::string SyoboiBaseUrl();
// "scheme://host[:port]/" of the base URL: the Referer the service expects.
std::string SyoboiReferrer();

// The schedule of `user` (of the browser cookie when the name is empty);
// at most `maxBytes` of the reply are kept.
HttpReply FetchSyoboiUserPrograms(const std::wstring& user, std::size_t maxBytes);

}  // namespace plimod
