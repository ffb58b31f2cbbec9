#include "util/conversions.h"

#include <gtest/gtest.h>

#include "util/url_encode.h"

namespace plimod {
namespace {

TEST(WideToUtf8, CountsAndWritesProperFourByteForms) {
  EXPECT_EQ(WideToUtf8Count(L"a\u00E9\u3042\U0001F600", nullptr), 10u);
  char out[16] = {};
  EXPECT_EQ(WideToUtf8Count(L"\U0001F600", out), 4u);
  EXPECT_STREQ(out, "\xF0\x9F\x98\x80");
}

TEST(WideToUtf8, BoundedFormStopsWithRoomForTheLongestCharacterAndNul) {
  char out[8];
  EXPECT_EQ(WideToUtf8(L"abcdefgh", out, sizeof out), 4u);
  EXPECT_STREQ(out, "abcd");
  EXPECT_EQ(WideToUtf8(L"abc\U0001F600x", out, sizeof out), 7u);
  EXPECT_STREQ(out, "abc\xF0\x9F\x98\x80");
  char tiny[4];
  EXPECT_EQ(WideToUtf8(L"abc", tiny, sizeof tiny), 0u);
  EXPECT_STREQ(tiny, "");
}

TEST(AnsiToUtf8, ConvertsTextsOfAnyLength) {
  std::string text;
  for (int i = 0; i < 1500; ++i) text += "\x82\xA0";
  const std::string utf8 = AnsiToUtf8(text);
  EXPECT_EQ(utf8.size(), 4500u);
  EXPECT_EQ(utf8.substr(0, 3), "\xE3\x81\x82");
  EXPECT_EQ(AnsiToWide(WideToAnsi(L"～①")), L"～①");
}

TEST(ParseHex, StopsAtTheFirstOtherCharacterAndDropsHighDigits) {
  EXPECT_EQ(ParseHex64("1fZ"), 0x1Fu);
  EXPECT_EQ(ParseHex64(""), 0u);
  EXPECT_EQ(ParseHex64("xyz"), 0u);
  EXPECT_EQ(ParseHex64("123456789aBcDeF01"), 0x23456789ABCDEF01u);
  EXPECT_EQ(ParseHex32("123456789"), 0x23456789u);
  EXPECT_EQ(ParseHex64W(L"7FfE0000g1"), 0x7FFE0000u);
  EXPECT_EQ(ParseHex32W(L"\uFF11"), 0u);  // full-width digits are not hex
  EXPECT_EQ(ParseHex32("\xC1" "1"), 0u);
}

TEST(UrlEncodeForm, KeepsUnreservedAndEncodesTheRest) {
  EXPECT_EQ(UrlEncodeForm("a b&c"), "a+b%26c");
  EXPECT_EQ(UrlEncodeForm("\xE3\x81\x82"), "%E3%81%82");
  EXPECT_EQ(UrlEncodeForm("Az09*-._~/\r\n"), "Az09*-._%7E%2F%0D%0A");
  EXPECT_EQ(UrlEncodeForm(std::string("\0", 1)), "%00");
}

}  // namespace
}  // namespace plimod
