#pragma once
// Event information table (present/following 0x4E/0x4F, schedule 0x50-0x6F).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "decoder/extended_text.h"
#include "decoder/si_records.h"

namespace epgdec {

constexpr size_t kEitFixedHeader = 14;

// The events of one CRC-checked EIT section into `out` (cleared first); the
// records' `section` pointer is left for the owner of `out` to set. A
// malformed event loop ends the list at the last whole event; a malformed
// descriptor is skipped. `extended` is working space, kept between sections
// so its buffers are allocated once.
void ParseEitEvents(const uint8_t* section, size_t size, ExtendedTextBuilder& extended,
                    EitEvents& out);

}  // namespace epgdec
