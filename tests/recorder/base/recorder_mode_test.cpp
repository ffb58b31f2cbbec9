// Which recorder is installed and how many tuners its settings declare.

#include <gtest/gtest.h>

#include "recorder/base/recorder_mode.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace plimod {
namespace {

using test::TempFolder;
using test::WriteFileBytes;

const char kTwoSections[] =
    "[SET]\r\nCount=9\r\nMode=0\r\n"
    "[BonDriver_A.dll]\r\nCount=2\r\nMode=0\r\n"
    "[BonDriver_B.dll]\nMode=2\nCount=1\n";

TEST(CountTuners, AddsCountToItsModeOncePerSection) {
  EXPECT_EQ(CountTuners(kTwoSections), (TunerCounts{2, 0, 1}));
  EXPECT_EQ(CountTuners("[BonDriver_C]\r\nMode=1\r\nCount=3\r\nCount=5\r\n"),
            (TunerCounts{0, 3, 0}));
}

TEST(CountTuners, IgnoresWhatTheRecorderIgnores) {
  // Mode 3 and above adds nothing; lower-case keys and keys not at the line
  // start do not count; a section without Count forgets its Mode.
  EXPECT_EQ(CountTuners("[BonDriver_A]\nMode=3\nCount=4\n"), (TunerCounts{}));
  EXPECT_EQ(CountTuners("[BonDriver_A]\nmode=1\n Mode=1\nCount=4\n"), (TunerCounts{}));
  EXPECT_EQ(CountTuners("[BonDriver_A]\nMode=1\n[BonDriver_B]\nCount=4\n"), (TunerCounts{}));
  EXPECT_EQ(CountTuners("[BonDriver_A]\nMode=-1\nCount=4\nMode=+1\n"), (TunerCounts{0, 4, 0}));
  EXPECT_EQ(CountTuners("[BonDriver_A]Mode=1\nCount=2\n"), (TunerCounts{}));
  EXPECT_EQ(CountTuners(""), (TunerCounts{}));
  EXPECT_EQ(CountTuners("[BonDriver_"), (TunerCounts{}));
}

class DetectRecorderTest : public ::testing::Test {
 protected:
  DetectRecorderTest() {
    settings_.SetString(L"EPGDATACAP", L"ENABLE", L"1");
    settings_.SetString(L"EPGDATACAP", L"EPGTIMEREXE",
                        folder_.File("EpgTimer_Bon.exe").wstring());
  }
  TempFolder folder_{"plimod-detect"};
  IniFile settings_;
};

const char kSrvFound[] = "EpgDataCap_Bon（人柱版９）以降検出\n";
const char kBonFound[] = "EpgDataCap_Bon（人柱版８．５６）以下検出\n";

TEST_F(DetectRecorderTest, ServerSettingsWinOverTextFileSettings) {
  WriteFileBytes(folder_.File("EpgTimerSrv.ini"), kTwoSections);
  WriteFileBytes(folder_.File("EpgTimer_Bon.ini"), "[BonDriver_X]\nMode=1\nCount=7\n");
  const RecorderDetection found = DetectRecorder(settings_);
  EXPECT_TRUE(found.srvMode);
  EXPECT_EQ(found.counts, (TunerCounts{2, 0, 1}));
  EXPECT_EQ(found.logLines,
            (std::vector<std::string>{kSrvFound, "チューナー検出 地デジ:2 BS/CS:0 ３波:1\n"}));

  DetectTuners(settings_);
  EXPECT_TRUE(EpgTimerSrvMode());
  EXPECT_EQ(DetectedTunerCounts(), (TunerCounts{2, 0, 1}));
  IniFile off;
  DetectTuners(off);
  EXPECT_FALSE(EpgTimerSrvMode());
  EXPECT_EQ(DetectedTunerCounts(), (TunerCounts{}));
}

TEST_F(DetectRecorderTest, TextFileRecorderBesideABackslashPath) {
  WriteFileBytes(folder_.File("EpgTimer_Bon.ini"), kTwoSections);
  // A Windows-style separator before the program name counts too.
  settings_.SetString(L"EPGDATACAP", L"EPGTIMEREXE",
                      folder_.Path().wstring() + L"\\EpgTimer_Bon.exe");
  const RecorderDetection found = DetectRecorder(settings_);
  EXPECT_FALSE(found.srvMode);
  EXPECT_EQ(found.counts, (TunerCounts{2, 0, 1}));
  ASSERT_EQ(found.logLines.size(), 2u);
  EXPECT_EQ(found.logLines[0], kBonFound);
}

TEST_F(DetectRecorderTest, NothingFoundOrSwitchedOff) {
  // Neither settings file: no log line at all.
  EXPECT_TRUE(DetectRecorder(settings_).logLines.empty());

  WriteFileBytes(folder_.File("EpgTimerSrv.ini"), kTwoSections);
  settings_.SetString(L"EPGDATACAP", L"ENABLE", L"2");
  const RecorderDetection off = DetectRecorder(settings_);
  EXPECT_FALSE(off.srvMode);
  EXPECT_TRUE(off.logLines.empty());

  // The bare default name has no folder: only the (zero) counts are logged.
  settings_.SetString(L"EPGDATACAP", L"ENABLE", L"1");
  settings_.DeleteKey(L"EPGDATACAP", L"EPGTIMEREXE");
  const RecorderDetection bare = DetectRecorder(settings_);
  EXPECT_FALSE(bare.srvMode);
  EXPECT_EQ(bare.logLines,
            (std::vector<std::string>{"チューナー検出 地デジ:0 BS/CS:0 ３波:0\n"}));
}

}  // namespace
}  // namespace plimod
