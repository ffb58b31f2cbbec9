#include "util/service_name.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

std::wstring Trimmed(std::wstring name, bool terrestrial) {
  TrimServiceName(name, terrestrial);
  return name;
}

TEST(TrimServiceName, TerrestrialCutsAtTheFirstMiddleDot) {
  EXPECT_EQ(Trimmed(L"ＮＨＫ総合・東京", true), L"ＮＨＫ総合");
  EXPECT_EQ(Trimmed(L"ＮＨＫ・１・２", true), L"ＮＨＫ");
  EXPECT_EQ(Trimmed(L"ＮＨＫ総合・東京", false), L"ＮＨＫ総合・東京");
}

TEST(TrimServiceName, OtherBandsCutOnlyBeforeDigitsEndingInOne) {
  EXPECT_EQ(Trimmed(L"ＢＳ朝日・１", false), L"ＢＳ朝日");
  EXPECT_EQ(Trimmed(L"ＢＳ朝日・２１", false), L"ＢＳ朝日");
  EXPECT_EQ(Trimmed(L"ＢＳ朝日・０１", false), L"ＢＳ朝日");
  EXPECT_EQ(Trimmed(L"ＢＳ朝日・２", false), L"ＢＳ朝日・２");
  EXPECT_EQ(Trimmed(L"ＢＳ朝日・１２", false), L"ＢＳ朝日・１２");
  EXPECT_EQ(Trimmed(L"ＢＳ朝日・Ａ１", false), L"ＢＳ朝日・Ａ１");
  EXPECT_EQ(Trimmed(L"ＢＳ朝日・", false), L"ＢＳ朝日・");
  EXPECT_EQ(Trimmed(L"ＢＳ１", false), L"ＢＳ１");  // no trailing-digit rule off terrestrial
}

TEST(TrimServiceName, TerrestrialDropsAFinalOneUnlessItFollowsADigit) {
  EXPECT_EQ(Trimmed(L"ＴＯＫＹＯ　ＭＸ１", true), L"ＴＯＫＹＯ　ＭＸ");
  EXPECT_EQ(Trimmed(L"ＮＨＫ１１", true), L"ＮＨＫ１１");
  EXPECT_EQ(Trimmed(L"ＮＨＫ２１", true), L"ＮＨＫ２１");
  EXPECT_EQ(Trimmed(L"ＮＨＫ０１", true), L"ＮＨＫ０");  // "０" is not in the kept range
  EXPECT_EQ(Trimmed(L"Ａ１", true), L"Ａ１");            // not longer than 4 bytes
  EXPECT_EQ(Trimmed(L"TOKYO MX1", true), L"TOKYO MX");
  EXPECT_EQ(Trimmed(L"ＭＸ１1", true), L"ＭＸ１");       // only the ASCII "1" goes
}

TEST(TrimServiceName, BytePairsInsideOtherCharactersAreNotDots) {
  // "＝" is 0x81 0x81; followed by "E" (0x45) the bytes 0x81 0x45 appear,
  // straddling two characters.
  EXPECT_EQ(Trimmed(L"ＡＢ＝Eテレ", true), L"ＡＢ＝Eテレ");
}

TEST(TrimServiceName, CharactersOutsideTheCodePageSurvive) {
  EXPECT_EQ(Trimmed(L"\U0001F4FAテレビ・東京", true), L"\U0001F4FAテレビ");
}

TEST(IsFullWidthDigit, RangeIncludesZeroToNine) {
  EXPECT_TRUE(IsFullWidthDigit("\x82\x4F"));
  EXPECT_TRUE(IsFullWidthDigit("\x82\x59"));
  EXPECT_FALSE(IsFullWidthDigit("\x82\x5A"));
  EXPECT_FALSE(IsFullWidthDigit("\x82"));
  EXPECT_FALSE(IsFullWidthDigit("1"));
}

}  // namespace
}  // namespace plimod
