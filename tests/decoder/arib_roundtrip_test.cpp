// The encoder: broadcaster-style bytes, and text that decodes back to itself.

#include <gtest/gtest.h>

#include <random>

#include "decoder/arib_string.h"
#include "tests/decoder/arib_test_util.h"

namespace {

using arib_test::Hex;
using arib_test::Utf16;
using arib_test::Utf8;

std::u16string DecodeBytes(const std::vector<uint8_t>& bytes) {
  return arib::Decode(bytes.data(), bytes.size());
}

std::u16string RoundTrip(std::u16string_view text) { return DecodeBytes(arib::Encode(text)); }

// The text of every defined cell of a two-byte set, designated into G0.
std::vector<std::u16string> CellTexts(uint8_t finalByte, int firstRow, int lastRow) {
  std::vector<std::u16string> texts;
  for (int row = firstRow; row <= lastRow; ++row) {
    for (int cell = 1; cell <= 94; ++cell) {
      const std::vector<uint8_t> bytes = {0x1B, 0x24, finalByte, static_cast<uint8_t>(row + 0x20),
                                          static_cast<uint8_t>(cell + 0x20)};
      std::u16string text = DecodeBytes(bytes);
      if (text != u"\u3013") texts.push_back(std::move(text));
    }
  }
  return texts;
}

std::vector<std::u16string> OneByteTexts() {
  std::vector<std::u16string> texts = {u" ", u"\r\n"};
  for (char16_t c = 0x21; c < 0x7F; ++c) texts.push_back(std::u16string(1, c));
  for (char16_t c = 0xFF01; c <= 0xFF5E; ++c) texts.push_back(std::u16string(1, c));
  for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) texts.push_back(std::u16string(1, c));
  for (char16_t c = u'ぁ'; c <= u'ん'; ++c) texts.push_back(std::u16string(1, c));
  for (char16_t c = u'ァ'; c <= u'ヶ'; ++c) texts.push_back(std::u16string(1, c));
  for (char16_t c : u"ゝゞヽヾー。「」、・") {
    if (c != 0) texts.push_back(std::u16string(1, c));
  }
  return texts;
}

void ExpectEachRoundTrips(const std::vector<std::u16string>& texts) {
  for (const std::u16string& text : texts) {
    EXPECT_EQ(Utf8(RoundTrip(text)), Utf8(text));
  }
}

TEST(AribEncode, WritesWhatBroadcastersWrite) {
  // The same bytes as real service names.
  EXPECT_EQ(arib::Encode(Utf16("ＡＫＴ秋田テレビ１")),
            Hex("0E 41 4B 54 0F 3D 29 45 44 1B 7C C6 EC D3 0E 31"));
  EXPECT_EQ(arib::Encode(Utf16("ＮＨＫ総合１・秋田")),
            Hex("0E 4E 48 4B 0F 41 6D 39 67 0E 31 FE 0F 3D 29 45 44"));
  EXPECT_EQ(arib::Encode(Utf16("ＴＯＫＹＯ　ＭＸ")), Hex("0E 54 4F 4B 59 4F 0F 21 21 0E 4D 58"));
  EXPECT_EQ(arib::Encode(u"[字]"), Hex("1B 24 3B 7A 56"));
  EXPECT_EQ(arib::Encode(u"NHK 7"), Hex("89 0E 4E 48 4B 20 37"));
}

TEST(AribEncode, EveryKanjiSetCharacterRoundTrips) {
  const std::vector<std::u16string> jis = CellTexts(0x42, 1, 84);
  EXPECT_EQ(jis.size(), 6879u - 1);  // JIS X 0208 less 〓 itself
  ExpectEachRoundTrips(jis);
  const std::vector<std::u16string> extra = CellTexts(0x42, 85, 86);
  EXPECT_GT(extra.size(), 130u);
  ExpectEachRoundTrips(extra);
}

TEST(AribEncode, EveryAdditionalSymbolRoundTrips) {
  const std::vector<std::u16string> symbols = CellTexts(0x3B, 90, 94);
  size_t bracketed = 0;
  for (const std::u16string& s : symbols) bracketed += s.front() == u'[';
  EXPECT_GT(bracketed, 40u);
  ExpectEachRoundTrips(symbols);
}

TEST(AribEncode, KanjiPlaneOneRoundTrips) { ExpectEachRoundTrips(CellTexts(0x39, 1, 94)); }

TEST(AribEncode, OneByteSetCharactersRoundTrip) { ExpectEachRoundTrips(OneByteTexts()); }

TEST(AribEncode, TextOutsideTheRepertoireBecomesGeta) {
  EXPECT_EQ(Utf8(RoundTrip(Utf16("aก😀b"))), "a〓〓b");
  EXPECT_EQ(Utf8(RoundTrip(std::u16string(u"x") + char16_t(0xD800) + u"y")), "x〓y");
  EXPECT_EQ(Utf8(RoundTrip(u"a\nb\rc")), "a\r\nb\r\nc");
}

TEST(AribEncode, RandomStringsOverTheRepertoireRoundTrip) {
  std::vector<std::u16string> pool = OneByteTexts();
  for (auto part : {CellTexts(0x42, 1, 94), CellTexts(0x39, 1, 94)}) {
    pool.insert(pool.end(), part.begin(), part.end());
  }
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 3000; ++round) {
    std::u16string text;
    for (int n = length(random); n > 0; --n) text += pool[pick(random)];
    ASSERT_EQ(Utf8(RoundTrip(text)), Utf8(text)) << "round " << round;
  }
}

}  // namespace
