#pragma once
// Service description table (actual 0x42, other 0x46).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "decoder/si_records.h"

namespace epgdec {

// Services of one CRC-checked SDT section. Malformed loops end the list at
// the last whole entry.
std::vector<ServiceRecord> ParseSdtServices(const uint8_t* section, size_t size);

}  // namespace epgdec
