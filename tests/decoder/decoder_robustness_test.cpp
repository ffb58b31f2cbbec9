// Random and corrupted input never crashes or hangs the decoder (the
// sanitizer build checks memory use on the same runs).

#include <gtest/gtest.h>

#include <random>

#include "tests/decoder/writer_test_description.h"
#include "tools/epgwriter/epg_file_writer.h"
#include "tools/epgwriter/section_bytes.h"
#include "tools/epgwriter/ts_packetizer.h"

namespace decoder_test {
namespace {

// Asks for every list the instance can give, touching every text.
size_t DrainLists(const Module& m, int32_t id) {
  size_t touched = 0;
  const DecoderServiceEntry* services = nullptr;
  uint32_t count = 0;
  if (m.get_services(id, &services, &count) == 0) return 0;
  for (uint32_t i = 0; i < count; ++i) {
    touched += Text(services[i].service_name).size();
    const DecoderEventEntry* events = nullptr;
    uint32_t n = 0;
    if (m.get_events(id, services[i].original_network_id, services[i].transport_stream_id,
                     services[i].service_id, &events, &n) != 1) {
      continue;
    }
    for (uint32_t k = 0; k < n; ++k) {
      touched += Text(events[k].title).size() + Text(events[k].extended_text).size() +
                 Text(events[k].video_text).size() + events[k].genre_count;
    }
  }
  return touched;
}

class DecoderRobustness : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.loaded());
    id_ = module_.initialize(0);
  }
  void TearDown() override { module_.uninitialize(id_); }
  Module module_;
  int32_t id_ = -1;
  std::mt19937 random_{20240309};
};

TEST_F(DecoderRobustness, RandomPacketsOnTheTablePids) {
  const uint16_t pids[] = {0x00, 0x11, 0x12, 0x14, 0x1FFF};
  std::vector<uint8_t> packet(188);
  for (int i = 0; i < 30000; ++i) {
    for (uint8_t& b : packet) b = static_cast<uint8_t>(random_());
    uint16_t pid = pids[random_() % 5];
    packet[0] = random_() % 50 == 0 ? packet[0] : 0x47;
    packet[1] = static_cast<uint8_t>((packet[1] & 0x40) | (pid >> 8));
    packet[2] = static_cast<uint8_t>(pid);
    module_.add_packet(id_, packet.data(), 188);
  }
  DrainLists(module_, id_);
  EXPECT_EQ(module_.add_packet(id_, packet.data(), 100), 0);  // not a packet's size
  EXPECT_EQ(module_.add_packet(id_, nullptr, 188), 0);
}

// Sections with a right CRC but random content reach the table parsers;
// they name other services, so the real file after them decodes exactly.
TEST_F(DecoderRobustness, RandomTableBodiesWithValidCrcLeaveTheRealTablesWhole) {
  const uint8_t tables[] = {0x42, 0x46, 0x4E, 0x4F, 0x50, 0x58, 0x60, 0x6F, 0x70, 0x73};
  epgwriter::TsPacketizer sdt(0x11), eit(0x12), time(0x14);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 4000; ++i) {
    uint8_t table = tables[random_() % std::size(tables)];
    epgwriter::Bytes body(random_() % (random_() % 4 == 0 ? 4000 : 300));
    for (uint8_t& b : body) b = static_cast<uint8_t>(random_() % 3 == 0 ? 0xFF : random_());
    epgwriter::LongHeader h{table, static_cast<uint16_t>(random_() % 8),
                            static_cast<uint8_t>(random_() % 32), static_cast<uint8_t>(random_()),
                            0xFF};
    epgwriter::Bytes section = epgwriter::MakeLongSection(h, body);
    epgwriter::TsPacketizer& p = table < 0x4E ? sdt : table >= 0x70 ? time : eit;
    p.AddSection(section, random_() % 2 == 0, bytes);
  }
  Feed(module_, id_, bytes);
  DrainLists(module_, id_);
  const epgwriter::EpgFileDescription d = MakeNetworks(12, 1, 2);
  std::vector<uint8_t> clean;
  std::string error;
  ASSERT_TRUE(epgwriter::BuildEpgStream(d, {}, clean, error)) << error;
  Feed(module_, id_, clean);
  ExpectDecodesTo(module_, id_, d, true);
}

TEST_F(DecoderRobustness, CorruptedWriterFiles) {
  epgwriter::EpgFileDescription d = MakeNetworks(11, 1, 2);
  std::vector<uint8_t> clean;
  std::string error;
  ASSERT_TRUE(epgwriter::BuildEpgStream(d, {}, clean, error)) << error;
  for (int round = 0; round < 20; ++round) {
    std::vector<uint8_t> bytes = clean;
    size_t flips = 1 + random_() % 200;
    for (size_t i = 0; i < flips; ++i) bytes[random_() % bytes.size()] ^= 1u << (random_() % 8);
    // Sometimes whole runs of packets go missing or repeat.
    if (round % 3 == 0) bytes.erase(bytes.begin() + 188 * 40, bytes.begin() + 188 * 47);
    if (round % 4 == 0) bytes.insert(bytes.end(), clean.begin(), clean.begin() + 188 * 90);
    Feed(module_, id_, bytes);
    DrainLists(module_, id_);
    if (round % 5 == 4) module_.clear(id_);
  }
  // Clean data after garbage still decodes exactly.
  module_.clear(id_);
  Feed(module_, id_, clean);
  ExpectDecodesTo(module_, id_, d);
}

TEST(DecoderInstances, UnknownIdsAndNullOutputsAreRefused) {
  Module m;
  ASSERT_TRUE(m.loaded());
  const DecoderServiceEntry* list = nullptr;
  uint32_t count = 0;
  EXPECT_EQ(m.get_services(12345678, &list, &count), 0);
  EXPECT_EQ(m.clear(-1), 0);
  int32_t id = m.initialize(0);
  ASSERT_NE(id, -1);
  EXPECT_EQ(m.get_services(id, nullptr, &count), 0);
  const DecoderEventEntry* events = nullptr;
  EXPECT_EQ(m.get_events(id, 1, 2, 3, &events, nullptr), 0);
  EXPECT_NE(m.get_services(id, &list, &count), 0);  // an empty instance has an empty list
  EXPECT_EQ(count, 0u);
  m.uninitialize(id);
}

}  // namespace
}  // namespace decoder_test
