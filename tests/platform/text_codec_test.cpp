#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

TEST(Utf16, SurrogatePairsJoinAndSplitBack) {
  const std::u16string units = u"a\U0001F600b";
  ASSERT_EQ(units.size(), 4u);
  const std::wstring wide = Utf16ToWide(units);
  EXPECT_EQ(wide, L"a\U0001F600b");
  EXPECT_EQ(WideToUtf16(wide), units);
}

TEST(Utf16, LoneSurrogatesSurviveARoundTrip) {
  const std::u16string units = {u'x', 0xD800, u'y', 0xDC00, 0xDBFF};
  const std::wstring wide = Utf16ToWide(units);
  ASSERT_EQ(wide.size(), 5u);
  EXPECT_EQ(wide[1], 0xD800);
  EXPECT_EQ(wide[3], 0xDC00);
  EXPECT_EQ(WideToUtf16(wide), units);
}

TEST(Utf16, LittleEndianBytes) {
  const std::string bytes("\x41\x00\x42\x30\x3D\xD8\x00\xDE", 8);  // A あ U+1F600
  EXPECT_EQ(Utf16LeToWide(bytes), L"A\u3042\U0001F600");
  EXPECT_EQ(WideToUtf16Le(L"A\u3042\U0001F600"), bytes);
  EXPECT_EQ(Utf16LeToWide(std::string("\x41\x00\x42", 3)), L"A");  // odd byte ignored
}

TEST(Utf8, FourByteFormsBothWays) {
  const std::string utf8 = "a\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80";
  const std::wstring wide = L"a\u00E9\u3042\U0001F600";
  EXPECT_EQ(Utf8ToWide(utf8), wide);
  EXPECT_EQ(WideToUtf8String(wide), utf8);
}

TEST(Utf8, MalformedInputBecomesReplacementPerByte) {
  EXPECT_EQ(Utf8ToWide("a\xFF" "b"), L"a\uFFFDb");
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");          // overlong
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToWide("x\xE3\x81"), L"x\uFFFD\uFFFD");          // cut sequence
}

TEST(Utf8, NeverWritesInvalidSequences) {
  std::wstring bad;
  bad.push_back(static_cast<wchar_t>(0xD800));
  bad.push_back(static_cast<wchar_t>(0x110000));
  EXPECT_EQ(WideToUtf8String(bad), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Cp932, RoundTripsOfTheCharactersThatDifferFromShiftJis) {
  const std::wstring wide = L"\uFF5E\uFF0D\u2460\u3231\uFF71\uFF9F\\~\u2225\uFFE2";
  const std::string bytes = WideToCp932(wide);
  EXPECT_EQ(bytes, "\x81\x60\x81\x7C\x87\x40\x87\x8A\xB1\xDF\\~\x81\x61\x81\xCA");
  EXPECT_EQ(Cp932ToWide(bytes), wide);
}

TEST(Cp932, ExtensionRowsDecode) {
  EXPECT_EQ(Cp932ToWide("\xFA\x58\xED\x40"), L"\u3231\u7E8A");  // IBM and NEC-selected IBM rows
}

TEST(Cp932, LookAlikesMapToTheCodePageForms) {
  EXPECT_EQ(WideToCp932(L"\u301C\u2016\u2212\u00A2\u00A3\u00AC"),
            "\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA");
}

TEST(Cp932, UnmappableBecomesQuestionMarkAndConversionGoesOn) {
  EXPECT_EQ(WideToCp932(L"a\U0001F600b\u00E9c"), "a?b?c");
}

TEST(Cp932, UndecodableBytesBecomeMiddleDotAndDecodingGoesOn) {
  EXPECT_EQ(Cp932ToWide("a\x85\x40z"), L"a\u30FBz");  // unassigned pair: one substitute
  EXPECT_EQ(Cp932ToWide("a\x81 z"), L"a\u30FB z");    // lead without a trail byte
  EXPECT_EQ(Cp932ToWide("ok\x81"), L"ok\u30FB");      // lead at the very end
}

TEST(CutPoint, Utf8NeverSplitsASequence) {
  const std::string text = "a\xE3\x81\x82\xF0\x9F\x98\x80";  // a, 3 bytes, 4 bytes
  EXPECT_EQ(Utf8CutPoint(text, 0), 0u);
  EXPECT_EQ(Utf8CutPoint(text, 1), 1u);
  EXPECT_EQ(Utf8CutPoint(text, 2), 1u);
  EXPECT_EQ(Utf8CutPoint(text, 3), 1u);
  EXPECT_EQ(Utf8CutPoint(text, 4), 4u);
  EXPECT_EQ(Utf8CutPoint(text, 7), 4u);
  EXPECT_EQ(Utf8CutPoint(text, 8), 8u);
  EXPECT_EQ(Utf8CutPoint(text, 100), 8u);
}

TEST(CutPoint, Cp932NeverSplitsAPairEvenWhenTrailBytesLookLikeLeads) {
  // "ぁ" is 0x82 0x9F: its trail byte is in the lead range.
  const std::string text = "\x82\x9F\x82\x9F" "a";
  EXPECT_EQ(Cp932CutPoint(text, 1), 0u);
  EXPECT_EQ(Cp932CutPoint(text, 2), 2u);
  EXPECT_EQ(Cp932CutPoint(text, 3), 2u);
  EXPECT_EQ(Cp932CutPoint(text, 4), 4u);
  EXPECT_EQ(Cp932CutPoint("\xB1\xB2", 1), 1u);  // half-width kana are single bytes
}

}  // namespace
}  // namespace plimod
