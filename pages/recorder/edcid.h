#pragma once
// The name of one reservation on the list and edit pages ("edcid"):
// "E_" + the programme key in 16 hex digits + "_" + the reserve id in at
// least four hex digits (a negative id prints as its unsigned 32 bits).

#include <cstdint>
#include <string>
#include <string_view>

#include "recorder/lines/reserve_text.h"

namespace plimod {

struct EdcidParts {
  std::uint64_t programKey = 0;
  std::int32_t reserveId = 0;
};

std::string MakeEdcid(std::uint64_t programKey, std::int32_t reserveId);
// Read by position; a text too short for a part gives 0 there.
EdcidParts ParseEdcid(std::string_view edcid);
// The name of a reservation line (ids of fields 5 to 8, reserve id of 11).
std::string LineEdcid(const ReserveTextLine& line);

}  // namespace plimod
