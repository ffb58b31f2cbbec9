#pragma once
// The programme a reservation or a recording result is for, named the same
// way in the program's own rows and in the reservation server's records, so
// one assignment carries it from one to the other.

#include <cstdint>
#include <string>

#include "platform/system_time.h"
#include "util/keys.h"

namespace plimod {

struct ReservedProgram {
  std::wstring title;
  SystemTime start;
  std::uint32_t duration = 0;  // seconds
  std::wstring station;
  std::uint16_t originalNetworkId = 0;
  std::uint16_t transportStreamId = 0;
  std::uint16_t serviceId = 0;
  std::uint16_t eventId = 0;
};

inline std::uint64_t ProgramKeyOf(const ReservedProgram& program) {
  return ProgramKey(program.eventId,
                    ServiceKey(program.originalNetworkId, program.transportStreamId, program.serviceId));
}

}  // namespace plimod
