#include "epg/epg_folder_watch.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

#include "epg/epg_busy_flag.h"
#include "platform/system_time.h"
#include "epg_folder_fixture.h"

namespace plimod {
namespace {

using test::EpgFolderFixture;
using test::TempFolder;

// Counts the loads the watch runs (each shows the busy state once).
class EpgFolderWatchTest : public EpgFolderFixture {
 protected:
  void SetUp() override {
    EpgFolderFixture::SetUp();
    SetEpgBusyIndicator([this](bool busy) {
      std::lock_guard lock(mutex_);
      (busy ? loadsStarted_ : loadsEnded_)++;
    });
  }
  void TearDown() override {
    StopEpgFolderWatch();
    SetEpgBusyIndicator({});
    EpgFolderFixture::TearDown();
  }
  int LoadsStarted() {
    std::lock_guard lock(mutex_);
    return loadsStarted_;
  }
  int LoadsEnded() {
    std::lock_guard lock(mutex_);
    return loadsEnded_;
  }
  // Starts the watch and waits for its first pass.
  void StartWatch(EpgWatchOptions options = {}) {
    ASSERT_TRUE(StartEpgFolderWatch(*store_, std::move(options)));
    ASSERT_TRUE(WaitUntil([this] { return LoadsEnded() >= 1; }));
  }
  // Writes a file elsewhere, to be moved in.
  std::string Staged(const std::string& name, const std::string& bytes) {
    const std::string path = staging_.File(name);
    test::WriteFileBytes(path, bytes);
    return path;
  }

  TempFolder staging_;
  std::mutex mutex_;
  int loadsStarted_ = 0;
  int loadsEnded_ = 0;
};

TEST_F(EpgFolderWatchTest, FirstPassLoadsAndRunsTheFollowUpJobs) {
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A"));
  std::vector<std::string> jobs;
  EpgWatchOptions options;
  // Peers are asked without the flag, so pages answer meanwhile.
  options.jobs.asksPeers = [] { return true; };
  options.jobs.fetch = [&]() -> std::function<void()> {
    jobs.push_back(EpgBusyFlag.IsBusy() ? "fetch held" : "fetch");
    return [&] { jobs.push_back(ServiceShown(0x0400) && EpgBusyFlag.IsBusy() ? "run" : "run unheld"); };
  };
  options.jobs.armSyoboiUploadTimer = [&] { jobs.push_back("arm"); };
  StartWatch(std::move(options));
  EXPECT_TRUE(ServiceShown(0x0400));
  EXPECT_EQ(jobs, (std::vector<std::string>{"fetch", "run", "arm"}));
  EXPECT_FALSE(StartEpgFolderWatch(*store_)) << "already running";
}

// Without a peer to ask the flag is never let go; with one, a page that
// slips in while it is asked and keeps the flag past one reload's wait (49
// polls) only delays the jobs.
TEST_F(EpgFolderWatchTest, JobsAfterTheFirstLoadKeepTheFlagUnlessAPeerIsAskedAndAreNeverDropped) {
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A"));
  std::atomic<int> polls{0};
  SetSleeperForTesting([&polls](std::uint32_t) {
    if (++polls == 60) EpgBusyFlag.Release();  // the page ends
  });
  int passes = 0;
  for (const bool asksPeers : {false, true}) {
    std::vector<std::string> jobs;
    EpgWatchOptions options;
    options.jobs.asksPeers = [asksPeers] { return asksPeers; };
    options.jobs.fetch = [&jobs]() -> std::function<void()> {
      jobs.push_back(EpgBusyFlag.TryAcquire() ? "page slipped in" : "fetch held");
      return [&jobs] { jobs.push_back(EpgBusyFlag.IsBusy() ? "run" : "run unheld"); };
    };
    ASSERT_TRUE(StartEpgFolderWatch(*store_, std::move(options)));
    ++passes;
    EXPECT_TRUE(WaitUntil([&] { return LoadsEnded() >= passes; })) << "the first pass never ended";
    StopEpgFolderWatch();
    EXPECT_EQ(jobs, (std::vector<std::string>{asksPeers ? "page slipped in" : "fetch held", "run"}));
    EXPECT_FALSE(EpgBusyFlag.IsBusy());
  }
  SetSleeperForTesting({});
}

TEST_F(EpgFolderWatchTest, WrittenOrRenamedFilesAreLoaded) {
  StartWatch();
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A"));
  EXPECT_TRUE(WaitUntil([] { return ServiceShown(0x0400); }));

  const std::string staged = Staged("b_epg.dat", OneServiceFile(0x0401, u"局B"));
  ASSERT_EQ(std::rename(staged.c_str(), data_.File("b_epg.dat").c_str()), 0);
  EXPECT_TRUE(WaitUntil([] { return ServiceShown(0x0401); }));

  EXPECT_TRUE(StopEpgFolderWatch());
  EXPECT_FALSE(StopEpgFolderWatch()) << "not running any more";
}

TEST_F(EpgFolderWatchTest, NamesContainingTmpDoNotTriggerALoad) {
  StartWatch();
  const int before = LoadsStarted();
  WriteDataFile("c_epg.dat.tmp", "ignored");
  WriteDataFile("x.tmp_epg.dat", OneServiceFile(0x0402, u"局X"));
  // Records arrive in order: once the load for this later file has run,
  // the two ".tmp" records have been passed over.
  WriteDataFile("notes.txt", "any other name triggers a load");
  ASSERT_TRUE(WaitUntil([&] { return LoadsEnded() > before; }));
  WriteDataFile("a_epg.dat", OneServiceFile(0x0400, u"局A"));
  ASSERT_TRUE(WaitUntil([] { return ServiceShown(0x0400); }));
  EXPECT_EQ(LoadsStarted(), before + 2);
  EXPECT_TRUE(ServiceShown(0x0402)) << "the file itself is loaded with the next load";
}

TEST_F(EpgFolderWatchTest, FolderCreatedAfterTheStartIsWatched) {
  const std::string later = data_.File("later");
  UseFolder(later);
  EpgWatchOptions options;
  options.retryMs = 20;
  StartWatch(std::move(options));
  std::filesystem::create_directory(later);
  test::WriteFileBytes(later + "/a_epg.dat", OneServiceFile(0x0400, u"局A"));
  EXPECT_TRUE(WaitUntil([] { return ServiceShown(0x0400); }));

  // The folder goes away and comes back.
  std::filesystem::remove_all(later);
  std::filesystem::create_directory(later);
  test::WriteFileBytes(later + "/b_epg.dat", OneServiceFile(0x0401, u"局B"));
  EXPECT_TRUE(WaitUntil([] { return ServiceShown(0x0401); }));
}

TEST_F(EpgFolderWatchTest, StopEndsAThreadWaitingForAMissingFolder) {
  UseFolder(data_.File("missing"));
  StartWatch();  // then waits a minute between tries
  EXPECT_TRUE(StopEpgFolderWatch());
  EXPECT_FALSE(EpgFolderWatchStopRequested()) << "the thread has ended: loads read everything";
  EXPECT_TRUE(StartEpgFolderWatch(*store_)) << "a stopped watch starts again";
}

}  // namespace
}  // namespace plimod
