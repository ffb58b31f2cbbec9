#pragma once
// The IPv4 networks this host sits in, for authentication mode 2.

#include <cstdint>
#include <vector>

namespace plimod {

struct LocalNetwork {
  std::uint32_t network = 0;  // interface address AND mask, network byte order
  std::uint32_t mask = 0;     // network byte order
};

inline constexpr std::size_t kMaxLocalNetworks = 20;

// The up IPv4 interfaces (loopback included), at most 20; empty when the
// system cannot list them.
std::vector<LocalNetwork> ReadLocalNetworks();

// True when `peer` (network byte order) lies in one of the networks.
bool IsLocalPeer(std::uint32_t peer, const std::vector<LocalNetwork>& networks);

}  // namespace plimod
