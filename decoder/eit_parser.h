#pragma once
// Event information table (present/following 0x4E/0x4F, schedule 0x50-0x6F).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "decoder/si_records.h"

namespace epgdec {

constexpr size_t kEitFixedHeader = 14;

// Events of one CRC-checked EIT section, their texts appended to `texts`
// (the records' ranges point there; their `texts` pointer is left for the
// owner of the buffer to set). A malformed event loop ends the list at the
// last whole event; a malformed descriptor is skipped.
std::vector<EventRecord> ParseEitEvents(const uint8_t* section, size_t size,
                                        std::u16string& texts);

}  // namespace epgdec
