#include "server/local_networks.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace plimod {

std::vector<LocalNetwork> ReadLocalNetworks() {
  std::vector<LocalNetwork> networks;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return networks;
  for (ifaddrs* entry = list; entry != nullptr && networks.size() < kMaxLocalNetworks;
       entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_netmask == nullptr) continue;
    if (entry->ifa_addr->sa_family != AF_INET || (entry->ifa_flags & IFF_UP) == 0) continue;
    auto address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
    auto mask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr;
    networks.push_back({address & mask, mask});
  }
  freeifaddrs(list);
  return networks;
}

bool IsLocalPeer(std::uint32_t peer, const std::vector<LocalNetwork>& networks) {
  for (const LocalNetwork& net : networks) {
    if ((peer & net.mask) == net.network) return true;
  }
  return false;
}

}  // namespace plimod
