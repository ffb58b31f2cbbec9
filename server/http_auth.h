#pragma once
// Basic authentication of one request.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/local_networks.h"

namespace plimod {

// True when the request may pass: no authentication asked, a peer inside a
// local network in mode 2, or an Authorization value "Basic <base64>" that
// decodes to exactly `credentials`. `peer` is in network byte order.
bool IsRequestAuthorized(int mode, const std::string& credentials, std::uint32_t peer,
                         const std::vector<LocalNetwork>& networks, const std::string* authorization);

}  // namespace plimod
