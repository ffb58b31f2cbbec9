// epgdump as a user runs it: a child process on files the writer made.

#include <gtest/gtest.h>

#include <string>

#include "tests/decoder/writer_test_description.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tools/epgdump/dump_format.h"
#include "tools/epgwriter/epg_file_writer.h"

namespace decoder_test {
namespace {

using plimod::test::CommandResult;
using plimod::test::TempFolder;

CommandResult RunEpgdump(const std::string& args) {
  return plimod::test::RunCommand(std::string(PLIMOD_BINARY_DIR) + "/bin/epgdump " + args + " 2>/dev/null");
}

TEST(Epgdump, PrintsServicesThenEventsInTheFixedForm) {
  EpgFileDescription d;
  int64_t day = TestDay();
  d.now = day + 3600;
  TransportDescription ts{0x7FE8, 0x7FE8, false, {}};
  ServiceDescription radio{0x0590, 0x02, u"ラジオ", {}};
  ServiceDescription tv{0x0408, 0x01, u"テスト放送", {}};
  EventDescription late;
  late.event_id = 0x0B01;
  late.start = day + 7200;
  late.duration_seconds = 1800;
  late.title = u"夜のニュース";
  late.genres = {0x00010F0F, 0x0A000F0F};
  EventDescription early = late;
  early.event_id = 0xA0C1;
  early.start = day + 3600;
  early.title = u"朝の番組";
  early.short_text = u"内容";
  early.genres = {};
  early.items = {{u"出演者", u"山田"}};
  tv.events = {late, early};
  ts.services = {tv, radio};
  d.transports = {ts};

  TempFolder folder("epgdump-test");
  std::string file = folder.File("7FE87FE8_epg.dat");
  std::string error;
  ASSERT_TRUE(epgwriter::WriteEpgFile(d, {}, file, error)) << error;
  CommandResult r = RunEpgdump(file);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "S\t7fe8\t7fe8\t0408\t1\tテスト放送\n"
            "S\t7fe8\t7fe8\t0590\t2\tラジオ\n"
            "E\t7fe8\t7fe8\t0408\ta0c1\t2024-03-09 01:00:00\t1800\t\t朝の番組\t内容\t"
            "出演者\\r\\n山田\\r\\n\n"
            "E\t7fe8\t7fe8\t0408\t0b01\t2024-03-09 02:00:00\t1800\t00010f0f,0a000f0f\t"
            "夜のニュース\t\t\n");
}

TEST(Epgdump, ListsTheTokyoMxServicesAndFailsOnAMissingLibraryOrFile) {
  std::string sample = std::string(PLIMOD_SOURCE_DIR) + "/tests/decoder/data/tokyomx-pat-nit-sdt-pmt.ts";
  if (!std::filesystem::exists(sample)) FAIL() << "test data missing: " << sample;
  CommandResult r = RunEpgdump(sample);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "S\t7e87\t7e87\t5c38\t1\tＴＯＫＹＯ　ＭＸ１\n"
            "S\t7e87\t7e87\t5c39\t1\tＴＯＫＹＯ　ＭＸ１\n"
            "S\t7e87\t7e87\t5c3a\t1\tＴＯＫＹＯ　ＭＸ２\n"
            "S\t7e87\t7e87\t5c3f\t161\tＴＯＫＹＯ　ＭＸ臨時\n"
            "S\t7e87\t7e87\t5db8\t192\tＭＸワンセグ１\n"
            "S\t7e87\t7e87\t5db9\t192\tＭＸワンセグ２\n");
  EXPECT_EQ(RunEpgdump("--lib /nonexistent/EpgDataCap2.so " + sample).exitCode, 1);
  EXPECT_EQ(RunEpgdump("/nonexistent/file_epg.dat").exitCode, 1);
  EXPECT_EQ(RunEpgdump("").exitCode, 2);
}

TEST(EpgdumpFormat, EscapesControlCharactersAndJoinsSurrogatePairs) {
  EXPECT_EQ(EscapedUtf8(u"a\\b\tc\rd\ne"), "a\\\\b\\tc\\rd\\ne");
  EXPECT_EQ(EscapedUtf8(u"\U0002000B字"), "\xF0\xA0\x80\x8B字");
  const char16_t lone[] = {u'x', 0xD800, u'y', 0};
  EXPECT_EQ(EscapedUtf8(lone), "x\xEF\xBF\xBDy");
  EXPECT_EQ(EscapedUtf8(nullptr), "");
}

}  // namespace
}  // namespace decoder_test
