// Section reassembly from transport packets.

#include <gtest/gtest.h>

#include <random>

#include "decoder/crc32.h"
#include "decoder/section_assembler.h"
#include "tools/epgwriter/section_bytes.h"
#include "tools/epgwriter/ts_packetizer.h"

namespace {

using epgwriter::Bytes;

struct RecordingSink : epgdec::SectionSink {
  std::vector<Bytes> sections;
  void OnSection(const uint8_t* s, size_t n) override { sections.emplace_back(s, s + n); }
};

// A CRC-checked section of `size` bytes whose extension field numbers it.
Bytes Section(uint16_t number, size_t size) {
  Bytes body(size - 12, static_cast<uint8_t>(number * 7));
  return epgwriter::MakeLongSection({0x50, number, 0, 0, 0}, body);
}

std::vector<Bytes> Packets(const std::vector<Bytes>& sections, bool pack) {
  epgwriter::TsPacketizer packetizer(0x12);
  Bytes out;
  for (const Bytes& s : sections) packetizer.AddSection(s, pack, out);
  packetizer.Flush(out);
  std::vector<Bytes> packets;
  for (size_t pos = 0; pos < out.size(); pos += 188) {
    packets.emplace_back(out.begin() + pos, out.begin() + pos + 188);
  }
  return packets;
}

std::vector<Bytes> Reassemble(const std::vector<Bytes>& packets) {
  epgdec::SectionAssembler assembler;
  RecordingSink sink;
  for (const Bytes& p : packets) assembler.PushPacket(p.data(), sink);
  return sink.sections;
}

TEST(SectionAssembler, RandomSizedSectionsArriveWholeAndInOrderPackedOrNot) {
  std::mt19937 random(42);
  std::vector<Bytes> sections;
  for (uint16_t i = 0; i < 300; ++i) {
    size_t size = random() % 3 == 0 ? 12 + random() % 40 : 12 + random() % 4084;
    sections.push_back(Section(i, size));
  }
  EXPECT_EQ(Reassemble(Packets(sections, true)), sections);
  EXPECT_EQ(Reassemble(Packets(sections, false)), sections);
}

TEST(SectionAssembler, SeveralSectionsInOnePacketAndAHeaderSplitAcrossPackets) {
  std::vector<Bytes> small = {Section(1, 20), Section(2, 30), Section(3, 40)};
  std::vector<Bytes> packets = Packets(small, true);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(Reassemble(packets), small);

  // 182 bytes fill the first payload but one byte: the next section's
  // header starts in the last byte of the packet.
  std::vector<Bytes> split = {Section(4, 182), Section(5, 100)};
  packets = Packets(split, true);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(Reassemble(packets), split);
}

TEST(SectionAssembler, ContinuityGapDropsOnlyThePartialSection) {
  std::vector<Bytes> sections = {Section(1, 500), Section(2, 100), Section(3, 500)};
  std::vector<Bytes> packets = Packets(sections, false);  // 3 + 1 + 3 packets
  ASSERT_EQ(packets.size(), 7u);
  packets.erase(packets.begin() + 1);
  EXPECT_EQ(Reassemble(packets), (std::vector<Bytes>{sections[1], sections[2]}));
}

TEST(SectionAssembler, RepeatedPacketIsIgnoredButSameCounterWithOtherBytesIsAGap) {
  std::vector<Bytes> sections = {Section(1, 500)};
  std::vector<Bytes> packets = Packets(sections, false);
  std::vector<Bytes> repeated = packets;
  repeated.insert(repeated.begin() + 1, packets[1]);
  EXPECT_EQ(Reassemble(repeated), sections);

  std::vector<Bytes> clashing = packets;
  clashing.insert(clashing.begin() + 1, packets[1]);
  clashing[1][100] ^= 0x55;
  EXPECT_TRUE(Reassemble(clashing).empty());
}

TEST(SectionAssembler, BadCrcTransportErrorAndStuffingAreHandled) {
  std::vector<Bytes> sections = {Section(1, 300), Section(2, 60), Section(3, 60)};
  std::vector<Bytes> packets = Packets(sections, true);
  ASSERT_EQ(packets.size(), 3u);

  std::vector<Bytes> bad_crc = packets;
  bad_crc[0][50] ^= 0x01;  // inside the first section
  EXPECT_EQ(Reassemble(bad_crc), (std::vector<Bytes>{sections[1], sections[2]}));

  std::vector<Bytes> error_flag = packets;
  error_flag[1][1] |= 0x80;  // ends section 1, holds section 2, starts section 3
  EXPECT_TRUE(Reassemble(error_flag).empty());

  // Stuffing after the first section of a packet hides nothing behind it.
  std::vector<Bytes> stuffed = Packets({Section(7, 40)}, true);
  EXPECT_EQ(Reassemble(stuffed).size(), 1u);
}

TEST(SectionAssembler, ImplausibleLengthsAndPointersAreDropped) {
  Bytes packet(188, 0xFF);
  packet[0] = 0x47;
  packet[1] = 0x40;
  packet[2] = 0x12;
  packet[3] = 0x10;
  packet[4] = 0;                      // pointer
  packet[5] = 0x50;                   // table id
  packet[6] = 0xFF;                   // long form, length 0xFFF: beyond 4096
  packet[7] = 0xFF;
  EXPECT_TRUE(Reassemble({packet}).empty());
  packet[4] = 200;                    // pointer past the payload
  EXPECT_TRUE(Reassemble({packet}).empty());
}

TEST(SectionCrc32, MatchesTheBitwiseDefinition) {
  std::mt19937 random(7);
  Bytes data(4200);
  for (uint8_t& b : data) b = static_cast<uint8_t>(random());
  auto bitwise = [&](size_t from, size_t n) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = from; i < from + n; ++i) {
      crc ^= uint32_t{data[i]} << 24;
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
  };
  // Lengths around the 16-byte blocks of the folding path, from unaligned starts.
  for (size_t n : {0u, 1u, 7u, 8u, 9u, 63u, 64u, 65u, 79u, 80u, 81u, 100u, 1000u, 4093u, 4096u}) {
    for (size_t from : {0u, 1u, 3u}) {
      EXPECT_EQ(epgdec::SectionCrc32(data.data() + from, n), bitwise(from, n)) << n << "@" << from;
      EXPECT_EQ(epgdec::SectionCrc32ByTable(data.data() + from, n), bitwise(from, n)) << n;
    }
  }
}

}  // namespace
