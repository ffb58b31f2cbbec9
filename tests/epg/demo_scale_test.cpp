// A scaled demo folder loads as that many distinct copies of the demo's
// channels, each in the band of its original.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "epg_folder_fixture.h"
#include "tools/epgwriter/demo_data.h"
#include "tools/epgwriter/epg_description.h"

namespace plimod {
namespace {

using test::EpgFolderFixture;
using DemoScale = EpgFolderFixture;

struct Counts {
  std::size_t services = 0;
  std::size_t events = 0;
  std::map<int, std::size_t> servicesPerBand;
};

Counts LoadedCounts() {
  Counts counts;
  std::set<std::wstring> channelKeys;
  for (const auto& [key, list] : *EpgEventIndex) {
    ++counts.services;
    counts.events += list.size();
    ++counts.servicesPerBand[BandIndexOf(key)];
    EXPECT_TRUE(channelKeys.insert(ChannelKeyText(key)).second) << "channel key repeated";
  }
  return counts;
}

TEST_F(DemoScale, CopiesKeepTheirBandsAndDistinctChannelKeys) {
  SetClockAt(2025, 1, 6, 12, 0, 0);
  const std::int64_t day = epgwriter::JapanSeconds(2025, 1, 6);
  std::string error;
  ASSERT_TRUE(epgwriter::WriteDemoFolder(data_.Path(), day, day, 1, error, 1)) << error;
  ASSERT_TRUE(LoadEpgFolder(*store_));
  const Counts one = LoadedCounts();

  test::TempFolder scaled;
  UseFolder(scaled.Path());
  ResetEpgFolderState();
  store_ = std::make_unique<EpgStore>(test::RealModuleDir());
  ASSERT_TRUE(epgwriter::WriteDemoFolder(scaled.Path(), day, day, 1, error,
                                         epgwriter::kMaxDemoScale))
      << error;
  ASSERT_TRUE(LoadEpgFolder(*store_));
  const Counts many = LoadedCounts();
  EXPECT_EQ(many.services, one.services * epgwriter::kMaxDemoScale);
  EXPECT_EQ(many.events, one.events * epgwriter::kMaxDemoScale);
  for (const auto& [band, services] : one.servicesPerBand) {
    EXPECT_EQ(many.servicesPerBand.at(band), services * epgwriter::kMaxDemoScale) << band;
  }
}

}  // namespace
}  // namespace plimod
