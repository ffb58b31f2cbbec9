// The demo folder: same day, same files; about forty services over three
// networks with eight days of programmes that decode cleanly.

#include <gtest/gtest.h>

#include <set>

#include "tests/decoder/writer_test_description.h"
#include "tools/epgwriter/demo_data.h"
#include "tools/epgwriter/epg_file_writer.h"

namespace decoder_test {
namespace {

std::vector<std::vector<uint8_t>> DemoStreams(int64_t day, int64_t now) {
  std::vector<std::vector<uint8_t>> streams;
  for (const epgwriter::DemoFile& file : epgwriter::MakeDemoFiles(day, now)) {
    std::string error;
    streams.emplace_back();
    EXPECT_TRUE(epgwriter::BuildEpgStream(file.description, {}, streams.back(), error)) << error;
    EXPECT_TRUE(file.name.ends_with("_epg.dat"));
  }
  return streams;
}

TEST(WriterDemo, SameDayGivesTheSameFilesAndAnotherDayOthers) {
  int64_t day = TestDay();
  EXPECT_EQ(DemoStreams(day, day + 3600), DemoStreams(day, day + 3600));
  EXPECT_NE(DemoStreams(day, day + 3600), DemoStreams(day + 86400, day + 86400 + 3600));
}

TEST(WriterDemo, DecodesToFortyServicesWithEightDaysOfProgrammes) {
  int64_t day = TestDay();
  Module m;
  ASSERT_TRUE(m.loaded());
  int32_t id = m.initialize(0);
  for (const auto& stream : DemoStreams(day, day + 12 * 3600)) Feed(m, id, stream);

  std::vector<Service> services = Services(m, id);
  EXPECT_GE(services.size(), 35u);
  std::set<uint16_t> networks;
  for (const Service& s : services) networks.insert(s.onid);
  EXPECT_TRUE(networks.count(0x0004) && networks.count(0x0006) && networks.count(0x7FE0));

  DecoderSystemTime first_day = JapanToSystemTime(day);
  DecoderSystemTime last_day = JapanToSystemTime(day + 7 * 86400);
  for (const Service& s : services) {
    if (s.type != 0x01) continue;
    std::vector<Event> events;
    ASSERT_TRUE(Events(m, id, s.onid, s.tsid, s.sid, events));
    ASSERT_FALSE(events.empty());
    bool starts_first_day = false, reaches_last_day = false;
    for (const Event& e : events) {
      EXPECT_FALSE(e.title.empty());
      EXPECT_EQ(e.genres.size(), 1u);
      EXPECT_GT(e.duration, 0u);
      starts_first_day |= e.start.day == first_day.day && e.start.month == first_day.month;
      reaches_last_day |= e.start.day == last_day.day && e.start.month == last_day.month;
    }
    EXPECT_TRUE(starts_first_day && reaches_last_day) << s.sid;
  }
  m.uninitialize(id);
}

}  // namespace
}  // namespace decoder_test
