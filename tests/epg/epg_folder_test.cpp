#include "epg/epg_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "epg/epg_busy_flag.h"
#include "epg/epg_file_list.h"
#include "epg_folder_fixture.h"
#include "tests/support/scoped_env.h"

namespace plimod {
namespace {

using test::EpgFolderFixture;
using test::kOnid;
using test::kTsid;
using test::MakeEvent;
using test::MakeFile;
using test::MakeService;
using test::TempFolder;

class EpgFolderLoad : public EpgFolderFixture {};

std::int64_t ModificationTicks(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return FileTimeTicks(info.st_mtim);
}

void SetModificationTime(const std::string& path, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

TEST_F(EpgFolderLoad, LoadsEveryMatchingRegularFileAndPublishesIt) {
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A"));
  WriteDataFile("B_EPG.DAT", OneServiceFile(0x0401, u"局B"));
  WriteDataFile("notes.txt", OneServiceFile(0x0402, u"局C"));
  std::filesystem::create_directory(data_.File("d_epg.dat"));
  SetModificationTime(data_.File("a_epg.dat"), 1'800'000'000);
  SetModificationTime(data_.File("B_EPG.DAT"), 1'800'000'100);

  ASSERT_TRUE(LoadEpgFolder(*store_));
  EXPECT_EQ(EpgEventIndex, &store_->Events());
  EXPECT_EQ(ShownName(0x0400), L"局A");
  EXPECT_EQ(ShownName(0x0401), L"局B");
  EXPECT_FALSE(ServiceShown(0x0402));
  EXPECT_NE(IndexedEvent(0x0400, 1), nullptr);
  EXPECT_EQ(NewestEpgWriteTime(), ModificationTicks(data_.File("B_EPG.DAT")));
  const SystemTime newest = NewestEpgWriteTimeLocal();  // 2027-01-15 17:00:00 in Japan
  EXPECT_EQ(newest.wYear, 2027);
  EXPECT_EQ(newest.wMonth, 1);
  EXPECT_EQ(newest.wDay, 15);
  EXPECT_EQ(newest.wHour, 17);
  EXPECT_EQ(newest.wMinute, 1);
  EXPECT_EQ(newest.wSecond, 40);
}

TEST_F(EpgFolderLoad, EmptyFolderGivesFalseButStillExpiresEvents) {
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A"));
  ASSERT_TRUE(LoadEpgFolder(*store_));
  std::filesystem::remove(data_.File("a_epg.dat"));
  SetClockAt(2026, 12, 13, 0, 0, 0);

  EXPECT_FALSE(LoadEpgFolder(*store_));
  EXPECT_EQ(IndexedEvent(0x0400, 1), nullptr) << "ended 2026-12-10 19:00, over 48 hours ago";
  EXPECT_TRUE(ServiceShown(0x0400)) << "channels are never removed";
}

TEST_F(EpgFolderLoad, NoFileEverLeavesTheIndexEmpty) {
  const EpgEventMap* before = EpgEventIndex;
  EXPECT_FALSE(LoadEpgFolder(*store_));
  EXPECT_EQ(EpgEventIndex, before);
  EXPECT_TRUE(EpgEventIndex->empty());
}

TEST_F(EpgFolderLoad, EventsExpireWhenTheyEndedMoreThan48HoursAgo) {
  auto endsAtSeven = MakeEvent(1, 2026, 12, 10, 18, 0, 60, u"七時終了");
  auto endsOneSecondLater = MakeEvent(2, 2026, 12, 10, 18, 30, 30, u"七時一秒終了");
  endsOneSecondLater.duration_seconds = 30 * 60 + 1;
  WriteDataFile("a_epg.dat", test::EpgFileBytes(MakeFile(
                                 {MakeService(0x0400, 0x01, u"局A", {endsAtSeven, endsOneSecondLater})}, 0x0400)));
  ASSERT_TRUE(LoadEpgFolder(*store_));

  SetClockAt(2026, 12, 12, 19, 0, 0);
  PruneOldEvents();
  EXPECT_NE(IndexedEvent(0x0400, 1), nullptr) << "ended exactly 48 hours ago: kept";
  SetClockAt(2026, 12, 12, 19, 0, 1);
  PruneOldEvents();
  EXPECT_EQ(IndexedEvent(0x0400, 1), nullptr);
  EXPECT_NE(IndexedEvent(0x0400, 2), nullptr);
}

TEST_F(EpgFolderLoad, OnlyFilesWithANewModificationTimeAreFedAgain) {
  const std::string path = data_.File("a_epg.dat");
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A", u"初回"));
  SetModificationTime(path, 1'800'000'000);
  ASSERT_TRUE(LoadEpgFolder(*store_));

  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A", u"二回目"));
  SetModificationTime(path, 1'800'000'000);
  ASSERT_TRUE(LoadEpgFolder(*store_));
  EXPECT_EQ(IndexedEvent(0x0400, 1)->Title(), L"初回") << "same time: not read again";

  SetModificationTime(path, 1'800'000'500);
  ASSERT_TRUE(LoadEpgFolder(*store_));
  EXPECT_EQ(IndexedEvent(0x0400, 1)->Title(), L"二回目");
  EXPECT_EQ(NewestEpgWriteTime(), ModificationTicks(path));
}

TEST_F(EpgFolderLoad, ChannelNamesStayAsFirstShown) {
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"最初の名前"));
  ASSERT_TRUE(LoadEpgFolder(*store_));
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"新しい名前"));
  SetModificationTime(data_.File("a_epg.dat"), 1'900'000'000);
  ASSERT_TRUE(LoadEpgFolder(*store_));
  EXPECT_EQ(ShownName(0x0400), L"最初の名前");
}

// A file that cannot be read at one load is read at the next, even with an
// unchanged modification time. Runs in a child process that, when started
// as root, gives up root so that file permissions hold.
TEST_F(EpgFolderLoad, FileThatFailedToLoadIsTriedAgain) {
  const std::string path = data_.File("a_epg.dat");
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A"));
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    if (geteuid() == 0) {
      const uid_t nobody = 65534;
      if (chown(data_.Path().c_str(), nobody, nobody) != 0 ||
          chown(path.c_str(), nobody, nobody) != 0 || setgid(nobody) != 0 ||
          setuid(nobody) != 0) {
        _exit(10);
      }
    }
    chmod(path.c_str(), 0);
    const bool firstLoaded = LoadEpgFolder(*store_) && ServiceShown(0x0400);
    const bool firstRecorded = NewestEpgWriteTime() != 0;
    chmod(path.c_str(), 0644);
    const bool secondLoaded = LoadEpgFolder(*store_) && ServiceShown(0x0400);
    _exit(firstLoaded ? 1 : firstRecorded ? 2 : secondLoaded ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0)
      << "1: unreadable file loaded, 2: its time recorded, 3: not retried, 10: setup";
}

TEST_F(EpgFolderLoad, SettingsDefaultsAndTheNormaliseList) {
  TempFolder documents;
  {
    test::ScopedEnv documentsFolder("XDG_DOCUMENTS_DIR", documents.Path().c_str());
    Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", L"");
    EXPECT_EQ(EpgDataFolder(), documents.Path().wstring() + L"/EpgTimerBon/EpgData/");
  }
  Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", data_.Path().wstring());
  EXPECT_EQ(EpgDataFolder(), data_.Path().wstring() + L"/");

  // A missing list is written back empty and the settings saved.
  const std::wstring settingsPath = documents.Path().wstring() + L"/plimo.ini";
  Settings().Save(settingsPath.c_str());
  ASSERT_TRUE(Settings().Load(settingsPath, false));
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A", u"アニメ"));
  ASSERT_TRUE(LoadEpgFolder(*store_));
  IniFile saved(settingsPath);
  EXPECT_EQ(saved.GetString(L"SYSTEM", L"NORMALIZELIST"), std::optional<std::wstring>(L""));
  EXPECT_EQ(IndexedEvent(0x0400, 1)->NormalizedTitle(), L"アニメ");

  // The list folds at import: "あア" makes ア read as あ.
  Settings().SetString(L"SYSTEM", L"NORMALIZELIST", L"あア");
  Settings().SetInt(L"SYSTEM", L"USEHALFCHAR", 1);
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A", u"ＴＶアニメ", 2));
  SetModificationTime(data_.File("a_epg.dat"), 1'900'000'000);
  ASSERT_TRUE(LoadEpgFolder(*store_));
  ASSERT_NE(IndexedEvent(0x0400, 2), nullptr);
  EXPECT_EQ(IndexedEvent(0x0400, 2)->Title(), L"TVアニメ");
  EXPECT_EQ(IndexedEvent(0x0400, 2)->NormalizedTitle(), L"ｔｖあニメ");
}

TEST_F(EpgFolderLoad, ReloadWaitsForTheBusyFlagAndGivesUp) {
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A"));
  std::vector<bool> shown;
  SetEpgBusyIndicator([&shown](bool busy) { shown.push_back(busy); });
  int sleeps = 0;
  SetSleeperForTesting([&sleeps](std::uint32_t) { ++sleeps; });
  ASSERT_TRUE(EpgBusyFlag.TryAcquire());
  EXPECT_FALSE(ReloadEpgIfIdle(*store_));
  EXPECT_EQ(sleeps, 49);
  EXPECT_FALSE(ServiceShown(0x0400));
  EpgBusyFlag.Release();

  EXPECT_TRUE(ReloadEpgIfIdle(*store_));
  EXPECT_TRUE(ServiceShown(0x0400));
  EXPECT_EQ(shown, (std::vector<bool>{true, false}));
  EXPECT_FALSE(EpgBusyFlag.IsBusy());
  SetSleeperForTesting({});
  SetEpgBusyIndicator({});
}

}  // namespace
}  // namespace plimod
