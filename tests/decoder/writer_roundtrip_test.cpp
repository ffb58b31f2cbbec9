// Files written from a description decode, through the module's entry
// points, to exactly that description.

#include <gtest/gtest.h>

#include "tests/decoder/writer_test_description.h"
#include "tools/epgwriter/epg_file_writer.h"

namespace decoder_test {
namespace {

std::vector<uint8_t> Write(const EpgFileDescription& d, const epgwriter::WriteOptions& o) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(epgwriter::BuildEpgStream(d, o, bytes, error)) << error;
  EXPECT_EQ(bytes.size() % 188, 0u);
  return bytes;
}

class WriterRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.loaded()) << "EpgDataCap2.so not built";
    id_ = module_.initialize(0);
    ASSERT_NE(id_, -1);
    module_.set_basic_mode(id_, 1);
    module_.set_pf_only(id_, 0);
  }
  void TearDown() override {
    if (id_ != -1) module_.uninitialize(id_);
  }

  Module module_;
  int32_t id_ = -1;
};

TEST_F(WriterRoundTrip, ThousandsOfEventsOverSeveralNetworksDecodeFieldByField) {
  EpgFileDescription d = MakeNetworks(1, 8, 2);
  size_t events = 0;
  for (const auto& ts : d.transports) {
    for (const auto& s : ts.services) events += s.events.size();
  }
  ASSERT_GT(events, 2000u);
  Feed(module_, id_, Write(d, {}));
  ExpectDecodesTo(module_, id_, d);
}

TEST_F(WriterRoundTrip, CarouselRepetitionUnpackedSectionsAndTruncatedTailChangeNothing) {
  EpgFileDescription d = MakeNetworks(2, 3, 2);
  epgwriter::WriteOptions o;
  o.repetitions = 3;
  o.pack_sections = false;
  std::vector<uint8_t> bytes = Write(d, o);
  // Cut inside the last round, off the packet grid: the tail is an
  // unfinished section and a partial packet.
  bytes.resize(bytes.size() - bytes.size() / 5 + 77);
  Feed(module_, id_, bytes);
  ExpectDecodesTo(module_, id_, d);
}

TEST_F(WriterRoundTrip, UndefinedStartIsLeftOutAndUndefinedDurationIsZero) {
  EpgFileDescription d = MakeNetworks(3, 1, 1);
  auto& events = d.transports[0].services[0].events;
  events[3].start.reset();
  events[5].duration_seconds.reset();
  Feed(module_, id_, Write(d, {}));
  std::vector<Event> got;
  ASSERT_TRUE(Events(module_, id_, 0x7FE8, 0x7FE8, d.transports[0].services[0].service_id, got));
  EXPECT_EQ(got.size(), events.size() - 1);
  for (const Event& e : got) EXPECT_NE(e.event_id, events[3].event_id);
  auto fifth = std::find_if(got.begin(), got.end(),
                            [&](const Event& e) { return e.event_id == events[5].event_id; });
  ASSERT_NE(fifth, got.end());
  EXPECT_EQ(fifth->duration, 0u);
}

TEST_F(WriterRoundTrip, PresentFollowingOnlyModeGivesTheTwoCurrentEvents) {
  EpgFileDescription d = MakeNetworks(4, 2, 1);
  Feed(module_, id_, Write(d, {}));
  module_.set_pf_only(id_, 1);
  for (const auto& ts : d.transports) {
    const ServiceDescription& s = ts.services[0];
    auto present = std::find_if(s.events.begin(), s.events.end(), [&](const auto& e) {
      return *e.start <= d.now && d.now < *e.start + *e.duration_seconds;
    });
    ASSERT_NE(present, s.events.end());
    std::vector<Event> got;
    ASSERT_TRUE(Events(module_, id_, ts.original_network_id, ts.transport_stream_id,
                       s.service_id, got));
    ASSERT_EQ(got.size(), 2u);
    ExpectSameEvent(*present, got[0]);
    ExpectSameEvent(*(present + 1), got[1]);
  }
  module_.set_pf_only(id_, 0);
  ExpectDecodesTo(module_, id_, d);
}

TEST_F(WriterRoundTrip, NewerSectionVersionReplacesTheEventsOfTheOlder) {
  EpgFileDescription old_version = MakeNetworks(5, 2, 1);
  EpgFileDescription new_version = old_version;
  new_version.version = 1;
  for (auto& ts : new_version.transports) {
    auto& events = ts.services[0].events;
    events[2].title = u"差し替え後の番組";
    events.erase(events.begin() + 10);  // gone from its segment in the new version
  }
  Feed(module_, id_, Write(old_version, {}));
  Feed(module_, id_, Write(new_version, {}));
  ExpectDecodesTo(module_, id_, new_version);

  // The same version again is not taken: the first copy of a version stays.
  EpgFileDescription same_version = new_version;
  same_version.transports[0].services[0].events[2].title = u"同じ版の別内容";
  Feed(module_, id_, Write(same_version, {}));
  ExpectDecodesTo(module_, id_, new_version);
}

TEST_F(WriterRoundTrip, TwoInstancesDoNotSeeEachOthersData) {
  EpgFileDescription first = MakeNetworks(6, 1, 1);
  EpgFileDescription second = MakeNetworks(7, 1, 1);
  for (auto& ts : second.transports) ts.original_network_id ^= 0x0100;
  int32_t other = module_.initialize(0);
  ASSERT_NE(other, -1);
  ASSERT_NE(other, id_);
  Feed(module_, id_, Write(first, {}));
  Feed(module_, other, Write(second, {}));
  ExpectDecodesTo(module_, id_, first);
  ExpectDecodesTo(module_, other, second);
  module_.uninitialize(other);
  ExpectDecodesTo(module_, id_, first);
}

TEST_F(WriterRoundTrip, ClearEmptiesAndUnInitializeEndsTheInstance) {
  EpgFileDescription d = MakeNetworks(8, 1, 1);
  std::vector<uint8_t> bytes = Write(d, {});
  Feed(module_, id_, bytes);
  ASSERT_FALSE(Services(module_, id_).empty());

  EXPECT_EQ(module_.clear(id_), 1);
  EXPECT_TRUE(Services(module_, id_).empty());
  std::vector<Event> got;
  EXPECT_FALSE(Events(module_, id_, 0x7FE8, 0x7FE8, d.transports[0].services[0].service_id, got));

  Feed(module_, id_, bytes);  // usable again after a clear
  ExpectDecodesTo(module_, id_, d);

  EXPECT_EQ(module_.uninitialize(id_), 1);
  const DecoderServiceEntry* list = nullptr;
  uint32_t count = 7;
  EXPECT_EQ(module_.get_services(id_, &list, &count), 0);
  EXPECT_EQ(count, 0u);
  uint8_t packet[188] = {0x47, 0x00, 0x12, 0x10};
  EXPECT_EQ(module_.add_packet(id_, packet, 188), 0);
  EXPECT_EQ(module_.uninitialize(id_), 0);
  id_ = -1;
}

// Broadcast times are Japan time; the entries carry the host's local time.
TEST_F(WriterRoundTrip, StartTimesAreConvertedToTheHostZone) {
  EpgFileDescription d = MakeNetworks(10, 1, 1);
  const ServiceDescription& s = d.transports[0].services[0];
  std::string saved = getenv("TZ") != nullptr ? getenv("TZ") : "";
  setenv("TZ", "UTC", 1);
  tzset();
  Feed(module_, id_, Write(d, {}));
  std::vector<Event> got;
  bool listed = Events(module_, id_, 0x7FE8, 0x7FE8, s.service_id, got);
  setenv("TZ", saved.c_str(), 1);
  tzset();
  ASSERT_TRUE(listed);
  ASSERT_FALSE(got.empty());
  DecoderSystemTime utc = JapanToSystemTime(*s.events[0].start - 9 * 3600);
  EXPECT_EQ(std::tie(got[0].start.day, got[0].start.hour, got[0].start.minute),
            std::tie(utc.day, utc.hour, utc.minute));
}

TEST_F(WriterRoundTrip, ServiceListStaysValidWhileEventListsAreFetched) {
  EpgFileDescription d = MakeNetworks(9, 1, 2);
  Feed(module_, id_, Write(d, {}));
  const DecoderServiceEntry* services = nullptr;
  uint32_t count = 0;
  ASSERT_NE(module_.get_services(id_, &services, &count), 0);
  ASSERT_EQ(count, 6u);
  std::u16string first_name = services[0].service_name;
  for (uint32_t i = 0; i < count; ++i) {
    const DecoderEventEntry* events = nullptr;
    uint32_t n = 0;
    EXPECT_EQ(module_.get_events(id_, services[i].original_network_id,
                                 services[i].transport_stream_id, services[i].service_id, &events,
                                 &n),
              1);
  }
  EXPECT_TRUE(first_name == services[0].service_name);
}

}  // namespace
}  // namespace decoder_test
