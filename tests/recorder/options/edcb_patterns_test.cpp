#include <gtest/gtest.h>

#include "recorder/options/edcb_patterns.h"
#include "recorder/options/rec_options.h"
#include "tests/recorder/recorder_fixture.h"

namespace plimod::test {
namespace {

class EdcbPatternsTest : public RecorderTest {
 protected:
  std::filesystem::path IniPath() const { return File("plimo.ini"); }
  void UseIniFile() {
    settings_.Save(IniPath().wstring().c_str());
    settings_.Load(IniPath().wstring(), false);
  }

  static ReserveEntry EntryAt(const SystemTime& start, std::int64_t offsetSeconds, int recordMode = 1) {
    ReserveEntry entry;
    const auto ticks = *SystemTimeToTicks(start) + offsetSeconds * kTicksPerSecond;
    entry.start = *TicksToSystemTime(ticks);
    entry.recordMode = recordMode;
    return entry;
  }
  static bool DueWith(const ReserveEntry& entry, const SystemTime& now) {
    ReserveLists lists;
    lists.reserveList.push_back(entry);
    return ReservationDueSoon(lists, now);
  }
};

TEST_F(EdcbPatternsTest, BatchKeysMoveIntoTheListInOrderOnce) {
  UseIniFile();
  settings_.SetString(L"EPGDATACAP", L"BATCH_03", L"C:\\b\\third.bat");
  settings_.SetString(L"EPGDATACAP", L"BATCH_01", L"C:\\b\\first.bat");
  settings_.SetString(L"EPGDATACAP", L"BATCH_02", L"");
  MigrateBatchList(settings_);
  EXPECT_EQ(settings_.GetIndexed(kBatchListSection, 0).value_or(L""), L"C:\\b\\first.bat");
  EXPECT_EQ(settings_.GetIndexed(kBatchListSection, 1).value_or(L""), L"C:\\b\\third.bat");
  // The empty value is dropped, not kept as a line that shifts the numbers.
  EXPECT_FALSE(settings_.GetIndexed(kBatchListSection, 2));
  for (const wchar_t* key : {L"BATCH_01", L"BATCH_02", L"BATCH_03"}) {
    EXPECT_FALSE(settings_.HasKey(L"EPGDATACAP", key)) << key;
  }
  IniFile saved(IniPath().wstring());
  EXPECT_EQ(saved.GetIndexed(kBatchListSection, 1).value_or(L""), L"C:\\b\\third.bat");

  // An existing list stays as it is.
  settings_.SetString(L"EPGDATACAP", L"BATCH_05", L"later.bat");
  MigrateBatchList(settings_);
  EXPECT_TRUE(settings_.HasKey(L"EPGDATACAP", L"BATCH_05"));
  EXPECT_FALSE(settings_.GetIndexed(kBatchListSection, 2));
}

TEST_F(EdcbPatternsTest, NothingToMoveStillSavesWithoutTheList) {
  UseIniFile();
  std::filesystem::remove(IniPath());
  MigrateBatchList(settings_);
  EXPECT_TRUE(std::filesystem::exists(IniPath()));
  EXPECT_FALSE(settings_.HasSection(kBatchListSection));
}

TEST_F(EdcbPatternsTest, TrayGetsTheFolderItemOnlyInServerMode) {
  TrayMenu menu{{40001, L"終了(&Q)"}};
  AddEdcbTrayMenuItems(menu, false);
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].command, kBatchListCommand);
  EXPECT_EQ(menu[0].text, L"EDCBbatファイルリスト...");

  TrayMenu srv{{40001, L"終了(&Q)"}};
  AddEdcbTrayMenuItems(srv, true);
  ASSERT_EQ(srv.size(), 3u);
  EXPECT_EQ(srv[0].command, kBatchListCommand);
  EXPECT_EQ(srv[1].command, kRecFolderListCommand);
  EXPECT_EQ(srv[1].text, L"EDCB録画フォルダリスト...");
}

TEST_F(EdcbPatternsTest, DueWithinSixMinutesOfNowIncludingDisabledOnes) {
  const SystemTime now{2026, 12, 3, 9, 23, 59, 0, 0};
  EXPECT_TRUE(DueWith(EntryAt(now, 360), now));
  EXPECT_FALSE(DueWith(EntryAt(now, 361), now));
  EXPECT_TRUE(DueWith(EntryAt(now, 0), now));
  EXPECT_FALSE(DueWith(EntryAt(now, -60), now));  // under way
  EXPECT_TRUE(DueWith(EntryAt(now, 100, kEntryRecordModeDisabled), now));
  EXPECT_FALSE(ReservationDueSoon(ReserveLists{}, now));
}

TEST_F(EdcbPatternsTest, BusyOnlyWithTheLinkOnAndEpgDataCapRecording) {
  ScriptedWindow capture{.title = L"EpgDataCap_Bon"};
  capture.children.push_back({.className = L"Button", .text = L"UDP"});
  windows_->Add(capture);
  EXPECT_TRUE(IsRecordingBusy(settings_));
  settings_.SetString(L"EPGDATACAP", L"ENABLE", L"0");
  EXPECT_FALSE(IsRecordingBusy(settings_));
}

}  // namespace
}  // namespace plimod::test
