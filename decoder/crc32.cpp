#include "decoder/crc32.h"

#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace epgdec {
namespace {

constexpr uint32_t kPolynomial = 0x04C11DB7u;

using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

// Slicing-by-8 tables: repeated broadcast sections are dropped after their
// CRC check, so the check is on the hot path of the decoder.
constexpr CrcTables MakeTables() {
  CrcTables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000u) ? (crc << 1) ^ kPolynomial : crc << 1;
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

// Goes on from `crc` over more bytes.
uint32_t TableCrc(uint32_t crc, const uint8_t* data, size_t size) {
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

#if defined(__x86_64__)

// x^n mod P, a polynomial of degree below 32.
constexpr uint64_t PowerOfXModP(int n) {
  uint64_t r = 1;
  for (int i = 0; i < n; ++i) {
    r <<= 1;
    if (r & (uint64_t{1} << 32)) r ^= (uint64_t{1} << 32) | kPolynomial;
  }
  return r;
}

// 16 bytes as a polynomial, the first byte's top bit the highest power.
[[gnu::target("ssse3")]] __m128i LoadReversed(const uint8_t* p, __m128i reverse) {
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
}

// The message is read 16 bytes at a time as a polynomial of degree below 128
// (first byte highest). With A = H x^64 + L the part read so far and B the
// next block, A x^128 + B = H x^192 + L x^128 + B, which is congruent mod P
// to H (x^192 mod P) + L (x^128 mod P) + B: two carry-less products that fit
// in 128 bits. Only the remainder matters, so the last 16 bytes of the fold
// and the tail go through the tables, starting from 0.
[[gnu::target("pclmul,ssse3")]] uint32_t FoldedCrc(const uint8_t* data, size_t size) {
  const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i keys = _mm_set_epi64x(static_cast<long long>(PowerOfXModP(192)),
                                      static_cast<long long>(PowerOfXModP(128)));
  // The initial all ones is the same as inverting the first 32 bits.
  __m128i folded = _mm_xor_si128(LoadReversed(data, reverse), _mm_set_epi32(-1, 0, 0, 0));
  data += 16;
  size -= 16;
  while (size >= 16) {
    const __m128i high = _mm_clmulepi64_si128(folded, keys, 0x11);
    const __m128i low = _mm_clmulepi64_si128(folded, keys, 0x00);
    folded = _mm_xor_si128(_mm_xor_si128(high, low), LoadReversed(data, reverse));
    data += 16;
    size -= 16;
  }
  alignas(16) uint8_t block[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(block), _mm_shuffle_epi8(folded, reverse));
  return TableCrc(TableCrc(0, block, sizeof block), data, size);
}

bool HasCarryLessMultiply() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  return has;
}

#endif

}  // namespace

uint32_t SectionCrc32ByTable(const uint8_t* data, size_t size) {
  return TableCrc(0xFFFFFFFFu, data, size);
}

uint32_t SectionCrc32(const uint8_t* data, size_t size) {
#if defined(__x86_64__)
  if (size >= 64 && HasCarryLessMultiply()) return FoldedCrc(data, size);
#endif
  return SectionCrc32ByTable(data, size);
}

}  // namespace epgdec
