#pragma once
// Event information table (present/following 0x4E/0x4F, schedule 0x50-0x6F).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/si_records.h"

namespace epgdec {

constexpr size_t kEitFixedHeader = 14;

// Events of one CRC-checked EIT section. A malformed event loop ends the list
// at the last whole event; a malformed descriptor is skipped.
std::vector<EventRecord> ParseEitEvents(const uint8_t* section, size_t size);

}  // namespace epgdec
