// Hostile input: random bytes never crash, hang or read out of bounds (the
// sanitizer build checks the last), and output stays proportionate.

#include <gtest/gtest.h>

#include <random>

#include "decoder/arib_string.h"

namespace {

// Bytes that start sequences, so random input reaches the control paths.
constexpr uint8_t kInteresting[] = {0x0D, 0x0E, 0x0F, 0x16, 0x19, 0x1B, 0x1C, 0x1D, 0x20, 0x24,
                                    0x28, 0x29, 0x2A, 0x2B, 0x3B, 0x42, 0x7A, 0x89, 0x8A, 0x8B,
                                    0x90, 0x92, 0x95, 0x4F, 0x9B, 0x9D, 0x7C, 0x7D, 0x7E, 0x6E};

std::vector<uint8_t> RandomBytes(std::mt19937& random) {
  std::uniform_int_distribution<int> length(0, 300);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<size_t> interesting(0, sizeof kInteresting - 1);
  std::vector<uint8_t> bytes(static_cast<size_t>(length(random)));
  for (uint8_t& b : bytes) {
    b = byte(random) < 96 ? kInteresting[interesting(random)] : static_cast<uint8_t>(byte(random));
  }
  return bytes;
}

TEST(AribRobustness, RandomBytesDecodeWithinBounds) {
  std::mt19937 random(12345);
  for (int round = 0; round < 20000; ++round) {
    const std::vector<uint8_t> bytes = RandomBytes(random);
    // Exactly sized heap copy, so the sanitizer sees any read past the end.
    const auto copy = std::make_unique<uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.get());
    const std::u16string text = arib::Decode(copy.get(), bytes.size());
    ASSERT_LE(text.size(), bytes.size() * 3) << "round " << round;
  }
}

TEST(AribRobustness, EncodedRandomUnitsDecodeToWellFormedText) {
  std::mt19937 random(777);
  std::uniform_int_distribution<int> unit(0, 0xFFFF);
  for (int round = 0; round < 2000; ++round) {
    std::u16string text(static_cast<size_t>(unit(random) % 50), u'\0');
    for (char16_t& c : text) c = static_cast<char16_t>(unit(random));
    const std::vector<uint8_t> bytes = arib::Encode(text);
    const std::u16string decoded = arib::Decode(bytes.data(), bytes.size());
    for (size_t i = 0; i < decoded.size(); ++i) {
      const char16_t c = decoded[i];
      if (c >= 0xD800 && c < 0xDC00) {
        ASSERT_TRUE(i + 1 < decoded.size() && decoded[i + 1] >= 0xDC00 && decoded[i + 1] < 0xE000);
        ++i;
      } else {
        ASSERT_FALSE(c >= 0xDC00 && c < 0xE000);
      }
    }
  }
}

}  // namespace
