#pragma once
// Service keys of one network per band, for tests that fill the service map
// and the event index by hand. Header only: tests that use it link the util
// library anyway.

#include <cstdint>

#include "util/keys.h"

namespace plimod::test {

// Terrestrial, BS, CS and other service keys with a given service id.
inline std::uint64_t TrKey(std::uint16_t sid) { return ServiceKey(0x7FE0, 0x7FE0, sid); }
inline std::uint64_t BsKey(std::uint16_t sid) { return ServiceKey(4, 0x4010, sid); }
inline std::uint64_t CsKey(std::uint16_t sid) { return ServiceKey(6, 0x6020, sid); }
inline std::uint64_t OtherKey(std::uint16_t sid) { return ServiceKey(1, 0x0001, sid); }

}  // namespace plimod::test
