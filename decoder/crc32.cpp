#include "decoder/crc32.h"

#include <array>

namespace epgdec {
namespace {

using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

// Slicing-by-8 tables: repeated broadcast sections are dropped after their
// CRC check, so the check is the hot path of the decoder.
constexpr CrcTables MakeTables() {
  CrcTables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    t[0][i] = crc;
  }
  for (size_t k = 1; k < t.size(); ++k) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t prev = t[k - 1][i];
      t[k][i] = (prev << 8) ^ t[0][prev >> 24];
    }
  }
  return t;
}

constexpr CrcTables kTables = MakeTables();

uint32_t LoadBigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

uint32_t SectionCrc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  while (size >= 8) {
    uint32_t one = crc ^ LoadBigEndian32(data);
    uint32_t two = LoadBigEndian32(data + 4);
    crc = kTables[7][one >> 24] ^ kTables[6][(one >> 16) & 0xFF] ^
          kTables[5][(one >> 8) & 0xFF] ^ kTables[4][one & 0xFF] ^
          kTables[3][two >> 24] ^ kTables[2][(two >> 16) & 0xFF] ^
          kTables[1][(two >> 8) & 0xFF] ^ kTables[0][two & 0xFF];
    data += 8;
    size -= 8;
  }
  while (size-- > 0) {
    crc = (crc << 8) ^ kTables[0][(crc >> 24) ^ *data++];
  }
  return crc;
}

}  // namespace epgdec
