#pragma once
// CRC-32 of MPEG-2 sections (polynomial 0x04C11DB7, initial value all ones,
// no reflection, no final inversion). A section with a correct CRC_32 field
// gives 0 over its whole length.

#include <cstddef>
#include <cstdint>

namespace epgdec {

// Folds with carry-less multiplication where the processor has it, else
// uses tables.
uint32_t SectionCrc32(const uint8_t* data, size_t size);

// The table version alone (the other's fallback), so tests can hold the two
// against each other on any processor.
uint32_t SectionCrc32ByTable(const uint8_t* data, size_t size);

}  // namespace epgdec
