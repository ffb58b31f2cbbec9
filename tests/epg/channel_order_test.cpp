#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "epg/channel_order.h"
#include "search_fixture.h"

namespace plimod::test {
namespace {

using Keys = std::vector<std::uint64_t>;

TEST(ChannelBandTest, BandBoundariesFollowTheLowThirtyTwoBits) {
  EXPECT_EQ(BandMaskOf(0x78000000u), kBandTerrestrial);
  EXPECT_EQ(BandMaskOf(0x7FFFFFFFu), kBandTerrestrial);
  EXPECT_EQ(BandMaskOf(0x40000000u), kBandBs);
  EXPECT_EQ(BandMaskOf(0x4FFFFFFFu), kBandBs);
  EXPECT_EQ(BandMaskOf(0x60000000u), kBandCs);
  EXPECT_EQ(BandMaskOf(0x77FFFFFFu), kBandCs);
  EXPECT_EQ(BandMaskOf(0x80000000u), kBandOther);
  EXPECT_EQ(BandMaskOf(0x50000000u), kBandOther);
  EXPECT_EQ(BandIndexOf(0xFFFF'7800'0000ull), 0);  // the network id does not count
}

class ChannelOrderTest : public SearchFixture {
 protected:
  void SetUp() override {
    SearchFixture::SetUp();
    for (std::uint16_t sid : {0x400, 0x408, 0x410}) AddService(TrKey(sid));
  }
  Keys Order(std::uint32_t mask) {
    Keys keys;
    for (int n = 0; std::uint64_t key = NthChannel(mask, n); ++n) keys.push_back(key);
    EXPECT_EQ(keys, ChannelsInDisplayOrder(mask));
    EXPECT_EQ(static_cast<int>(keys.size()), CountChannels(mask));
    return keys;
  }
};

TEST_F(ChannelOrderTest, ListedChannelsComeFirstThenKeyOrder) {
  EXPECT_EQ(Order(kBandTerrestrial), (Keys{TrKey(0x400), TrKey(0x408), TrKey(0x410)}));
  Set(L"VIEW", L"CHANNEL_LIST_TR", L"T0410H  T0400H ");
  EXPECT_EQ(Order(kBandTerrestrial), (Keys{TrKey(0x410), TrKey(0x400), TrKey(0x408)}));
  EXPECT_EQ(ChannelIndexOf(TrKey(0x408)), 2);
  EXPECT_EQ(ChannelIndexOf(TrKey(0x999)), 0);
  EXPECT_EQ(NthChannel(kBandTerrestrial, 3), 0u);
}

TEST_F(ChannelOrderTest, ListEntriesAreReadByTheirHexDigitsOnly) {
  // The letter is not checked and an unknown id is passed over; a channel
  // whose own key text is not in the list shows again in key order.
  Set(L"VIEW", L"CHANNEL_LIST_TR", L"0410H T0999H T0408H");
  EXPECT_EQ(Order(kBandTerrestrial), (Keys{TrKey(0x410), TrKey(0x408), TrKey(0x400), TrKey(0x410)}));
}

TEST_F(ChannelOrderTest, DuplicateListEntriesShowTwice) {
  Set(L"VIEW", L"CHANNEL_LIST_TR", L"T0408H T0408H");
  EXPECT_EQ(Order(kBandTerrestrial),
            (Keys{TrKey(0x408), TrKey(0x408), TrKey(0x400), TrKey(0x410)}));
}

TEST_F(ChannelOrderTest, HiddenChannelsAreSkippedEvenWhenListed) {
  Set(L"VIEW", L"CHANNEL_LIST_TR", L"T0410H T0400H");
  Set(L"VIEW", L"IGNORE_CHANNEL", L"T0410H T0408H");
  EXPECT_EQ(Order(kBandTerrestrial), (Keys{TrKey(0x400)}));
  EXPECT_FALSE(IsChannelShown(TrKey(0x410)));
  EXPECT_TRUE(IsChannelShown(TrKey(0x400)));
  EXPECT_EQ(ParseChannelKey(L"T0410H"), 0u);
  EXPECT_EQ(FindServiceInBand(kBandTerrestrial, 0x410), TrKey(0x410));  // hiding not applied here
}

TEST_F(ChannelOrderTest, OnlyTheFirst1023CharactersOfAListAreRead) {
  std::wstring list;
  while (list.size() < 1020) list += L"T0fffH ";
  Set(L"VIEW", L"CHANNEL_LIST_TR", list + L"T0410H");
  EXPECT_EQ(Order(kBandTerrestrial), (Keys{TrKey(0x400), TrKey(0x408), TrKey(0x410)}));
}

TEST_F(ChannelOrderTest, OnlyThe256FirstEntriesAreUsed) {
  std::wstring list;
  for (int i = 0; i < 255; ++i) list += L"X1 ";
  Set(L"VIEW", L"CHANNEL_LIST_TR", list + L"T410H");
  EXPECT_EQ(Order(kBandTerrestrial).front(), TrKey(0x410));
  Set(L"VIEW", L"CHANNEL_LIST_TR", list + L"X1 T410H");
  EXPECT_EQ(Order(kBandTerrestrial).front(), TrKey(0x400));
}

TEST_F(ChannelOrderTest, MixedMaskUsesTheTerrestrialListAndKeepsBandsApart) {
  // The BS and CS services share the listed id and have lower keys.
  AddService(BsKey(0x400));
  AddService(CsKey(0x101));
  AddService(OtherKey(0x400));
  Set(L"VIEW", L"CHANNEL_LIST_TR", L"T0410H T0400H");
  Set(L"VIEW", L"CHANNEL_LIST_BS", L"B0999H");
  EXPECT_EQ(Order(0x111), (Keys{TrKey(0x410), TrKey(0x400), BsKey(0x400), CsKey(0x101),
                                TrKey(0x408)}));
  EXPECT_EQ(Order(kBandOther), (Keys{OtherKey(0x400)}));
  EXPECT_EQ(Order(kBandBs), (Keys{BsKey(0x400)}));
}

TEST_F(ChannelOrderTest, ChannelKeyTextsNameShownServicesOfTheirBand) {
  AddService(BsKey(0x400));
  AddService(ServiceKey(0x7FE1, 0x7FE1, 0x400));  // a second terrestrial service with the id
  EXPECT_EQ(ParseChannelKey(L"T0400H"), TrKey(0x400));
  EXPECT_EQ(ParseChannelKey(L"B0400H"), BsKey(0x400));
  EXPECT_EQ(ParseChannelKey(L"B400"), BsKey(0x400));
  EXPECT_EQ(ParseChannelKey(L"Q0400H"), 0u);
  EXPECT_EQ(ParseChannelKey(L"b0400H"), 0u);
  EXPECT_EQ(ParseChannelKey(L"C0400H"), 0u);
  EXPECT_EQ(ParseChannelKey(L""), 0u);
  Set(L"VIEW", L"IGNORE_CHANNEL", L"B0400H");
  EXPECT_EQ(ParseChannelKey(L"B0400H"), 0u);
}

TEST_F(ChannelOrderTest, FindServiceInBandTakesTheFirstKeyOfTheMask) {
  AddService(BsKey(0x400));
  EXPECT_EQ(FindServiceInBand(0x111, 0x400), BsKey(0x400));
  EXPECT_EQ(FindServiceInBand(kBandTerrestrial, 0x400), TrKey(0x400));
  EXPECT_EQ(FindServiceInBand(kBandCs, 0x400), 0u);
  EXPECT_EQ(FindServiceInBand(0x111, -1), 0u);
}

}  // namespace
}  // namespace plimod::test
