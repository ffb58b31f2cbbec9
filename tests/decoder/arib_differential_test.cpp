// Random valid strings decoded by us and by libaribb24 agree once the
// deliberate differences are normalised: full-width alphanumerics and
// spaces, bracketed boxed symbols, and the two JIS X 0208 cells that
// libaribb24 maps unlike EUC-JP (0x2140, 0x215D), which the generator skips.

#include <gtest/gtest.h>

#include <map>
#include <random>

extern "C" {
#include <aribb24/aribb24.h>
#include <aribb24/decoder.h>
}

#include "decoder/arib_string.h"
#include "tests/decoder/arib_test_util.h"

namespace {

using arib_test::Narrow;
using arib_test::Utf16;
using arib_test::Utf8;

class Aribb24 {
 public:
  Aribb24() : instance_(arib_instance_new(nullptr)), decoder_(arib_get_decoder(instance_)) {}
  ~Aribb24() { arib_instance_destroy(instance_); }
  Aribb24(const Aribb24&) = delete;
  Aribb24& operator=(const Aribb24&) = delete;

  std::u16string Decode(const std::vector<uint8_t>& bytes) {
    std::vector<char> out(bytes.size() * 8 + 16, 0);
    arib_initialize_decoder(decoder_);
    arib_decode_buffer(decoder_, bytes.data(), bytes.size(), out.data(), out.size() - 1);
    return Utf16(out.data());
  }

 private:
  arib_instance_t* instance_;
  arib_decoder_t* decoder_;
};

std::u16string Normalise(std::u16string text) {
  text = Narrow(std::move(text));
  for (char16_t& c : text) {
    if (c == u'\u3000') c = u' ';
  }
  return text;
}

class RandomString {
 public:
  explicit RandomString(uint32_t seed) : random_(seed) {}

  std::vector<uint8_t> Make(const std::vector<uint16_t>& kanji, const std::vector<uint16_t>& symbols) {
    bytes_.clear();
    gl_ = 0;
    gr_ = 2;
    for (int n = Below(30); n > 0; --n) {
      switch (Below(6)) {
        case 0: case 1: TwoByte(kanji[Below(kanji.size())], false); break;
        case 2: Alphanumeric(); break;
        case 3: Kana(2); break;
        case 4: Kana(3); break;
        case 5: TwoByte(symbols[Below(symbols.size())], true); break;
      }
    }
    return bytes_;
  }

 private:
  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  void TwoByte(uint16_t code, bool symbol) {
    if (symbol) bytes_.insert(bytes_.end(), {0x1B, 0x24, 0x3B});
    if (gl_ != 0) bytes_.push_back(0x0F);
    gl_ = 0;
    bytes_.push_back(static_cast<uint8_t>(code >> 8));
    bytes_.push_back(static_cast<uint8_t>(code));
    if (symbol) bytes_.insert(bytes_.end(), {0x1B, 0x24, 0x42});
  }

  void Alphanumeric() {
    if (gl_ != 1) bytes_.push_back(0x0E);
    gl_ = 1;
    uint8_t c;
    do c = static_cast<uint8_t>(0x21 + Below(94)); while (c == 0x5C || c == 0x7E);
    bytes_.push_back(c);
  }

  // Hiragana (G2) or katakana (G3), through GR or a single shift.
  void Kana(int g) {
    uint8_t c;
    do c = static_cast<uint8_t>(0x21 + Below(94)); while (g == 2 && c >= 0x74 && c <= 0x76);
    if (Below(2) == 0) {
      bytes_.push_back(g == 2 ? 0x19 : 0x1D);
      bytes_.push_back(c);
      return;
    }
    if (gr_ != g) bytes_.insert(bytes_.end(), {0x1B, static_cast<uint8_t>(g == 2 ? 0x7D : 0x7C)});
    gr_ = g;
    bytes_.push_back(c | 0x80);
  }

  std::mt19937 random_;
  std::vector<uint8_t> bytes_;
  int gl_ = 0;
  int gr_ = 2;
};

std::vector<uint16_t> DefinedCodes(Aribb24& reference, int firstRow, int lastRow) {
  std::vector<uint16_t> codes;
  for (int row = firstRow; row <= lastRow; ++row) {
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const auto code = static_cast<uint16_t>(((row + 0x20) << 8) | cell);
      if (code == 0x2140 || code == 0x215D) continue;
      const std::vector<uint8_t> bytes = {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
      if (arib::Decode(bytes.data(), 2) != u"\u3013" && !reference.Decode(bytes).empty()) {
        codes.push_back(code);
      }
    }
  }
  return codes;
}

TEST(AribDifferential, AgreesWithLibaribb24OnRandomValidStrings) {
  Aribb24 reference;
  const std::vector<uint16_t> kanji = DefinedCodes(reference, 1, 86);
  const std::vector<uint16_t> symbols = DefinedCodes(reference, 90, 94);
  ASSERT_GT(kanji.size(), 6900u);
  ASSERT_GT(symbols.size(), 300u);

  // Our bracketed text for each boxed symbol, keyed by libaribb24's character.
  std::map<std::u16string, std::u16string> bracketed;
  for (uint16_t code : symbols) {
    const std::vector<uint8_t> bytes = {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
    const std::u16string ours = arib::Decode(bytes.data(), 2);
    if (ours.front() == u'[') bracketed[reference.Decode(bytes)] = ours;
  }
  ASSERT_GE(bracketed.size(), 40u);

  RandomString generator(7);
  for (int round = 0; round < 2000; ++round) {
    const std::vector<uint8_t> bytes = generator.Make(kanji, symbols);
    std::u16string theirs = reference.Decode(bytes);
    for (const auto& [enclosed, ours] : bracketed) {
      for (size_t at; (at = theirs.find(enclosed)) != std::u16string::npos;) {
        theirs.replace(at, enclosed.size(), ours);
      }
    }
    ASSERT_EQ(Utf8(Normalise(arib::Decode(bytes.data(), bytes.size()))), Utf8(Normalise(theirs)))
        << "round " << round;
  }
}

}  // namespace
