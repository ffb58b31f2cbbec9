// A scaled demo folder holds that many distinct copies of the demo's
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

constexpr int kDemoYear = 2025, kDemoMonth = 1, kDemoDay = 6;

// Services per band index of the files; every channel key and file name once.
std::map<int, std::size_t> ServicesPerBand(const std::vector<epgwriter::DemoFile>& files) {
  std::map<int, std::size_t> perBand;
  std::set<std::wstring> channelKeys;
  std::set<std::string> names;
  for (const epgwriter::DemoFile& file : files) {
    EXPECT_TRUE(names.insert(file.name).second) << file.name;
    for (const auto& ts : file.description.transports) {
      for (const auto& service : ts.services) {
        const std::uint64_t key =
            ServiceKey(ts.original_network_id, ts.transport_stream_id, service.service_id);
        ++perBand[BandIndexOf(key)];
        EXPECT_TRUE(channelKeys.insert(ChannelKeyText(key)).second) << "repeated channel key";
      }
    }
  }
  return perBand;
}

TEST_F(DemoScale, EveryCopyKeepsItsBandUnderChannelKeysOfItsOwn) {
  const std::int64_t day = epgwriter::JapanSeconds(kDemoYear, kDemoMonth, kDemoDay);
  const std::vector<epgwriter::DemoFile> files = epgwriter::MakeDemoFiles(day, day);
  const auto one = ServicesPerBand(files);
  const auto many = ServicesPerBand(epgwriter::ScaleDemoFiles(files, epgwriter::kMaxDemoScale));
  for (const auto& [band, services] : one) {
    EXPECT_EQ(many.at(band), services * epgwriter::kMaxDemoScale) << band;
  }
}

TEST_F(DemoScale, AScaledFolderLoadsEveryCopy) {
  SetClockAt(kDemoYear, kDemoMonth, kDemoDay, 12, 0, 0);
  const std::int64_t day = epgwriter::JapanSeconds(kDemoYear, kDemoMonth, kDemoDay);
  std::string error;
  ASSERT_TRUE(epgwriter::WriteDemoFolder(data_.Path(), day, day, 1, error, 2)) << error;
  ASSERT_TRUE(LoadEpgFolder(*store_));
  std::size_t copies = 0, originals = 0, events = 0;
  for (const auto& [key, list] : *EpgEventIndex) {
    (SidOf(key) >= 0x1000 ? copies : originals) += 1;
    events += list.size();
  }
  EXPECT_GT(originals, 30u);
  EXPECT_EQ(copies, originals);
  EXPECT_GT(events, 6000u);
}

}  // namespace
}  // namespace plimod
