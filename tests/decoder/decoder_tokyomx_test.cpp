// A real broadcast capture: the SDT of TOKYO MX spread over two packets,
// beside a PAT, a NIT and a PMT.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/decoder/decoder_test_support.h"

namespace decoder_test {
namespace {

std::vector<uint8_t> ReadSample() {
  std::string path = std::string(PLIMOD_SOURCE_DIR) + "/tests/decoder/data/tokyomx-pat-nit-sdt-pmt.ts";
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(DecoderRealData, TokyoMxListsItsSixServicesWithNamesAndTypes) {
  std::vector<uint8_t> bytes = ReadSample();
  if (bytes.empty()) FAIL() << "test data missing: tests/decoder/data/tokyomx-pat-nit-sdt-pmt.ts";
  Module m;
  ASSERT_TRUE(m.loaded());
  int32_t id = m.initialize(0);
  m.set_basic_mode(id, 1);
  m.set_pf_only(id, 0);
  // Every packet goes in, the PMT on PID 0x0101 too: the decoder must ignore it.
  for (size_t pos = 0; pos + 188 <= bytes.size(); pos += 188) m.add_packet(id, &bytes[pos], 188);

  std::vector<Service> want = {
      {0x7E87, 0x7E87, 0x5C38, 0x01, u"ＴＯＫＹＯ　ＭＸ１"},
      {0x7E87, 0x7E87, 0x5C39, 0x01, u"ＴＯＫＹＯ　ＭＸ１"},
      {0x7E87, 0x7E87, 0x5C3A, 0x01, u"ＴＯＫＹＯ　ＭＸ２"},
      {0x7E87, 0x7E87, 0x5C3F, 0xA1, u"ＴＯＫＹＯ　ＭＸ臨時"},
      {0x7E87, 0x7E87, 0x5DB8, 0xC0, u"ＭＸワンセグ１"},
      {0x7E87, 0x7E87, 0x5DB9, 0xC0, u"ＭＸワンセグ２"},
  };
  EXPECT_TRUE(Services(m, id) == want);
  std::vector<Event> events;
  EXPECT_FALSE(Events(m, id, 0x7E87, 0x7E87, 0x5C38, events));  // no EIT in the capture
  m.uninitialize(id);
}

}  // namespace
}  // namespace decoder_test
