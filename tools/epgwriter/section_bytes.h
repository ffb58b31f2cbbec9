#pragma once
// Byte-level helpers for writing SI sections.

#include <cstdint>
#include <vector>

namespace epgwriter {

using Bytes = std::vector<uint8_t>;

void PutU16(Bytes& b, uint32_t value);
void PutU24(Bytes& b, uint32_t value);
// Japan wall-clock seconds as 16-bit MJD plus BCD hh:mm:ss.
void PutMjdTime(Bytes& b, int64_t japan_seconds);
void PutUndefinedTime(Bytes& b);
// Seconds as BCD hh:mm:ss (hours up to 99).
void PutBcdDuration(Bytes& b, uint32_t seconds);

struct LongHeader {
  uint8_t table_id = 0;
  uint16_t extension = 0;
  uint8_t version = 0;
  uint8_t section_number = 0;
  uint8_t last_section_number = 0;
};

// A long-form section: the 8-byte header, `body`, then the CRC-32.
Bytes MakeLongSection(const LongHeader& header, const Bytes& body);

}  // namespace epgwriter
