#include "util/keys.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

TEST(Keys, PackAndUnpack) {
  const std::uint64_t service = ServiceKey(0x7FE8, 0x7FE8, 0x0400);
  EXPECT_EQ(service, 0x7FE8'7FE8'0400ull);
  const std::uint64_t program = ProgramKey(0xABCD, service);
  EXPECT_EQ(program, 0xABCD'7FE8'7FE8'0400ull);
  EXPECT_EQ(EidOf(program), 0xABCD);
  EXPECT_EQ(ServiceKeyOf(program), service);
  EXPECT_EQ(OnidOf(service), 0x7FE8);
  EXPECT_EQ(TsidOf(service), 0x7FE8);
  EXPECT_EQ(SidOf(service), 0x0400);
}

TEST(Keys, BandBoundaries) {
  EXPECT_EQ(BandMaskOf(0x7800'0000), kBandTerrestrial);
  EXPECT_EQ(BandMaskOf(0x7FFF'FFFF), kBandTerrestrial);
  EXPECT_EQ(BandMaskOf(0x4000'0000), kBandBs);
  EXPECT_EQ(BandMaskOf(0x4FFF'FFFF), kBandBs);
  EXPECT_EQ(BandMaskOf(0x6000'0000), kBandCs);
  EXPECT_EQ(BandMaskOf(0x77FF'FFFF), kBandCs);
  EXPECT_EQ(BandMaskOf(0x8000'0000), kBandOther);
  EXPECT_EQ(BandMaskOf(0x5000'0000), kBandOther);
  EXPECT_EQ(BandIndexOf(0xFFFF'0000'7800'0000ull), 0);  // only the low 32 bits count
  EXPECT_EQ(BandIndexOfLetter(L'C'), 2);
  EXPECT_EQ(BandIndexOfLetter(L'Q'), -1);
}

TEST(Keys, ChannelKeyText) {
  std::string narrow;
  std::wstring wide;
  EXPECT_EQ(FormatChannelKey(ServiceKey(4, 0x4010, 0x65), &narrow, &wide), 1);
  EXPECT_EQ(narrow, "B0065H");
  EXPECT_EQ(wide, L"B0065H");
  EXPECT_EQ(FormatChannelKey(ServiceKey(0x7FE0, 0x7FE0, 0xABCD), nullptr, nullptr), 0);
  EXPECT_EQ(ChannelKeyText(ServiceKey(0x7FE0, 0x7FE0, 0xABCD)), L"TabcdH");
  EXPECT_EQ(ChannelKeyText(ServiceKey(1, 2, 3)), L"Z0003H");
}

}  // namespace
}  // namespace plimod
