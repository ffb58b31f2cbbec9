// Decoding must not allocate per character: counts every heap allocation
// made while a long string decodes.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "decoder/arib_string.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

std::vector<uint8_t> LongText() {
  // Kanji, hiragana through GR, katakana through SS3, alphanumerics, a symbol.
  const std::vector<uint8_t> piece = {0x30, 0x21, 0xA2, 0xA4, 0x1D, 0x46, 0x0E, 0x41, 0x42,
                                      0x0F, 0x7A, 0x56, 0x0D, 0x20};
  std::vector<uint8_t> text;
  while (text.size() < 4000) text.insert(text.end(), piece.begin(), piece.end());
  return text;
}

TEST(AribAllocation, DecodingIntoAReservedBufferDoesNotAllocate) {
  const std::vector<uint8_t> text = LongText();
  std::u16string out;
  out.reserve(text.size() * 2);
  const long before = allocations.load();
  arib::DecodeAppend(text.data(), text.size(), out);
  EXPECT_EQ(allocations.load() - before, 0);
  EXPECT_GT(out.size(), 2000u);
}

TEST(AribAllocation, DecodeAllocatesAFewTimesPerString) {
  const std::vector<uint8_t> text = LongText();
  const long before = allocations.load();
  const std::u16string out = arib::Decode(text.data(), text.size());
  EXPECT_LE(allocations.load() - before, 3);
}

}  // namespace
