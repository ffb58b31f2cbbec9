// The decoder's state machine and output conventions on hand-written codes.

#include <gtest/gtest.h>

#include "decoder/arib_string.h"
#include "tests/decoder/arib_test_util.h"

namespace {

using arib_test::Hex;
using arib_test::Utf8;

std::string DecodeHex(std::string_view hex) {
  const std::vector<uint8_t> bytes = Hex(hex);
  return Utf8(arib::Decode(bytes.data(), bytes.size()));
}

TEST(AribDecode, AlphanumericsAreAsciiOnlyWhileMiddleSize) {
  // LS1 A B, MSZ C D SP E, NSZ F
  EXPECT_EQ(DecodeHex("0E 41 42 89 43 44 20 45 8A 46"), "ＡＢCD EＦ");
  EXPECT_EQ(DecodeHex("0E 89 5C 7E 8A 5C 7E"), "\\~＼～");
}

TEST(AribDecode, SpaceWidthFollowsTheSetInGL) {
  EXPECT_EQ(DecodeHex("30 21 20 30 21"), "亜　亜");
  EXPECT_EQ(DecodeHex("0E 41 20 42"), "Ａ Ｂ");
  EXPECT_EQ(DecodeHex("21 21"), "　");
}

TEST(AribDecode, BoxedSymbolsAreBracketedAndOthersUnicode) {
  // ESC $ ; designates the additional symbols into G0.
  EXPECT_EQ(DecodeHex("1B 24 3B 7A 50 7A 51 7A 6A 7A 6B 7A 72 7A 74 7C 57"),
            "[HV][SD][再][新][PPV][ほか][CD]");
  EXPECT_EQ(DecodeHex("7A 56 7A 5C"), "[字][解]");  // also reachable from the kanji set
  EXPECT_EQ(DecodeHex("7E 61 7C 4D 7D 2D 7A 30 7D 31"), "①㈱№🅿🉆");
}

TEST(AribDecode, ExtraKanjiRowsIncludeCharactersBeyondTheBmp) {
  EXPECT_EQ(DecodeHex("75 21 75 22"), "㐂𠅘");
}

TEST(AribDecode, HalfWidthKatakanaSet) {
  // ESC + I designates JIS X 0201 katakana into G3; LS3R invokes it into GR.
  EXPECT_EQ(DecodeHex("1B 2B 49 1B 7C B1 B2 DF E0"), "ｱｲﾟ〓");
}

TEST(AribDecode, DrcsAndUnknownCodesAreGetaAndDecodingGoesOn) {
  EXPECT_EQ(DecodeHex("1B 28 20 41 21 22 0E 41"), "〓〓Ａ");            // one-byte DRCS
  EXPECT_EQ(DecodeHex("1B 24 28 20 40 21 21 0E 41"), "〓Ａ");            // two-byte DRCS
  EXPECT_EQ(DecodeHex("1B 24 29 7A 30 21 0E 21 21 0F 30 22"), "亜〓唖");  // unknown set in G1
  EXPECT_EQ(DecodeHex("1B 28 7A 21 0E 41"), "〓Ａ");                     // unknown one-byte set
  EXPECT_EQ(DecodeHex("1B 28 32 21 0E 41"), "〓Ａ");                     // mosaic
  EXPECT_EQ(DecodeHex("1B 24 3A 21 21 0E 41"), "〓Ａ");                  // kanji plane 2
  EXPECT_EQ(DecodeHex("29 21 30 21"), "〓亜");                           // undefined kanji cell
  EXPECT_EQ(DecodeHex("A0 FF 30 21"), "〓〓亜");
  EXPECT_EQ(DecodeHex("1B 7A 30 21"), "亜");                             // unknown invocation
}

TEST(AribDecode, MacroSetCodesCarryNoText) {
  EXPECT_EQ(DecodeHex("1B 29 20 70 0E 60 0F 30 21"), "亜");
}

TEST(AribDecode, LineBreakIsCrLf) {
  EXPECT_EQ(DecodeHex("30 21 0D 30 21"), "亜\r\n亜");
}

TEST(AribDecode, ControlsAreSkippedWithTheirParameters) {
  // colour, COL 0x20 P, FLC, CDC 0x20 P, POL, WMM, HLC, RPC, SZX, TIME 0x20 P,
  // TIME 0x29 ... F, CSI ... F, a macro definition, PAPF, APS, then text.
  EXPECT_EQ(DecodeHex("80 30 21 90 20 41 91 40 92 20 41 93 40 94 40 97 40 98 45 8B 60 "
                      "9D 20 41 9D 29 31 32 40 9B 31 3B 32 20 53 95 40 30 21 95 4F "
                      "16 41 1C 41 42 00 07 7F 30 22"),
            "亜唖");
  EXPECT_EQ(DecodeHex("90 48 92 41 9D 28 41 30 21"), "亜");
}

TEST(AribDecode, LockingAndSingleShifts) {
  EXPECT_EQ(DecodeHex("1B 6E 21 22"), "ぁあ");           // LS2
  EXPECT_EQ(DecodeHex("1B 6F 22 0F 30 21"), "ア亜");     // LS3, LS0
  EXPECT_EQ(DecodeHex("1B 7E C1 1B 7D A2 1B 7C A2"), "Ａあア");  // LS1R, LS2R, LS3R
  EXPECT_EQ(DecodeHex("0E 19 22 41"), "あＡ");           // SS2 affects one character
  EXPECT_EQ(DecodeHex("1D 22 30 21"), "ア亜");           // SS3
  EXPECT_EQ(DecodeHex("1D C6 A2"), "テあ");              // a single shift applies to GR codes too
}

TEST(AribDecode, KanaSetsEndWithTheirSymbols) {
  EXPECT_EQ(DecodeHex("1B 6E 77 78 79 7A 7B 7C 7D 7E 74"), "ゝゞー。「」、・〓");
  EXPECT_EQ(DecodeHex("1B 6F 74 75 76 77 78 79"), "ヴヵヶヽヾー");
}

TEST(AribDecode, ProportionalSetsDecodeAsTheirPlainSets) {
  EXPECT_EQ(DecodeHex("1B 28 36 41 1B 28 37 22 1B 28 38 22"), "Ａあア");
}

TEST(AribDecode, KanjiPlaneOne) {
  EXPECT_EQ(DecodeHex("1B 24 39 30 21"), "亜");
  EXPECT_EQ(DecodeHex("1B 24 39 24 77"), "か\u309A");  // a combining sequence
  EXPECT_EQ(DecodeHex("1B 24 28 39 2E 22"), DecodeHex("1B 24 39 2E 22"));
}

TEST(AribDecode, TruncatedSequencesEndQuietly) {
  EXPECT_EQ(DecodeHex("30"), "〓");
  EXPECT_EQ(DecodeHex("30 0E 41"), "〓Ａ");  // a lone first byte does not swallow the control
  EXPECT_EQ(DecodeHex("30 21 1B"), "亜");
  EXPECT_EQ(DecodeHex("30 21 1B 24"), "亜");
  EXPECT_EQ(DecodeHex("30 21 1B 0D"), "亜\r\n");  // a broken escape loses only itself
  EXPECT_EQ(DecodeHex("30 21 90"), "亜");
  EXPECT_EQ(DecodeHex("30 21 9D 29 31"), "亜");
  EXPECT_EQ(DecodeHex("30 21 95 40 30 21"), "亜");
  EXPECT_EQ(DecodeHex("30 21 19"), "亜");
  EXPECT_EQ(DecodeHex(""), "");
  EXPECT_EQ(arib::Decode(nullptr, 0), u"");
}

TEST(AribDecode, EveryStringStartsFromTheDefaultState) {
  const std::vector<uint8_t> shifting = Hex("0E 1B 7C 89");
  const std::vector<uint8_t> text = Hex("30 21 A2");
  std::u16string out;
  arib::DecodeAppend(shifting.data(), shifting.size(), out);
  arib::DecodeAppend(text.data(), text.size(), out);
  EXPECT_EQ(Utf8(out), "亜あ");
}

}  // namespace
