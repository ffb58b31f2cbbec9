#include "server/http_auth.h"

#include "server/base64.h"
#include "server/http_config.h"

namespace plimod {

bool IsRequestAuthorized(int mode, const std::string& credentials, std::uint32_t peer,
                         const std::vector<LocalNetwork>& networks, const std::string* authorization) {
  if (mode <= kHttpAuthNone) return true;
  if (mode == kHttpAuthOutside && IsLocalPeer(peer, networks)) return true;
  if (authorization == nullptr) return false;
  constexpr std::string_view kScheme = "Basic ";
  if (authorization->compare(0, kScheme.size(), kScheme) != 0) return false;
  std::optional<std::string> decoded = Base64Decode(std::string_view(*authorization).substr(kScheme.size()));
  return decoded && *decoded == credentials;
}

}  // namespace plimod
