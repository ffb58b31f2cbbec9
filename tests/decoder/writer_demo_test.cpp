// The demo folder: the same programmes all day long; about forty services
// over three networks with eight days of programmes that decode cleanly.

#include <gtest/gtest.h>

#include <set>
#include <tuple>

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

// What the guide lists of the demo made on `day` at `now`: every service's
// programmes by id, start and title.
using Listing = std::vector<std::tuple<uint16_t, uint16_t, uint16_t, uint16_t, uint16_t, std::u16string>>;
Listing Listed(int64_t day, int64_t now) {
  Module m;
  EXPECT_TRUE(m.loaded());
  const int32_t id = m.initialize(0);
  for (const auto& stream : DemoStreams(day, now)) Feed(m, id, stream);
  Listing listed;
  for (const Service& s : Services(m, id)) {
    std::vector<Event> events;
    EXPECT_TRUE(Events(m, id, s.onid, s.tsid, s.sid, events));
    for (const Event& e : events) {
      listed.emplace_back(s.sid, e.event_id, e.start.day, e.start.hour, e.start.minute, e.title);
    }
  }
  m.uninitialize(id);
  return listed;
}

// A restart later the same day lists the same programmes under the same ids,
// so a reservation still finds its own; the next day's are others.
TEST(WriterDemo, ARestartLaterTheSameDayListsTheSameProgrammesAndTheNextDayOthers) {
  const int64_t day = TestDay();
  const Listing morning = Listed(day, day + 3600);
  EXPECT_GT(morning.size(), 1000u);
  EXPECT_TRUE(Listed(day, day + 20 * 3600) == morning);
  EXPECT_TRUE(Listed(day + 86400, day + 86400 + 3600) != morning);
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
