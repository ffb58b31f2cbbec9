// Closing and restarting the text-file recorder's program around a rewrite
// of its files, with scripted windows and a sleeper that only adds up.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "recorder/text_file/epg_timer_bon_window.h"
#include "tests/recorder/recorder_fixture.h"
#include "tests/support/scoped_env.h"

namespace plimod {
namespace {

using test::ScriptedWindow;

const char kRefusal[] =
    "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n"
    "EpgDataCap_Bonが起動中です \n処理を完了できませんでした\n";

class EpgTimerBonWindowTest : public test::RecorderTest {
 protected:
  void AddEpgDataCap(bool withUdp) {
    ScriptedWindow window{.title = L"EpgDataCap_Bon"};
    window.children.push_back({.className = L"Button", .text = withUdp ? L"UDP" : L"設定"});
    windows_->Add(window);
  }
  // A program that starts and ends at once, where EPGTIMEREXE points.
  std::wstring InstallRecorderProgram() {
    const auto program = File("recorder") / "EpgTimer_Bon.exe";
    test::WriteFileBytes(program, "#!/bin/sh\nexit 0\n");
    ::chmod(program.c_str(), 0755);
    return Wide(program);
  }
  // The stand-in that stays resident; returns where it notes its pids.
  std::filesystem::path InstallResidentRecorder() {
    const auto program = File("recorder") / "EpgTimer_Bon.exe";
    std::filesystem::copy_file(PLIMOD_SOURCE_DIR "/tests/fakes/recorder/resident_recorder", program,
                               std::filesystem::copy_options::overwrite_existing);
    return File("recorder") / "pids";
  }
  // Waits until `count` copies have noted their pid (a minute at most).
  static std::vector<pid_t> StartedPids(const std::filesystem::path& pids, std::size_t count) {
    std::vector<pid_t> found;
    for (int tries = 0; tries < 6000 && found.size() < count; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::istringstream lines(test::ReadFileBytes(pids));
      found.clear();
      for (pid_t pid; lines >> pid;) found.push_back(pid);
    }
    return found;
  }
  static bool Running(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

  std::string reply_;
  ReplyWriter out_{&reply_};
};

TEST_F(EpgTimerBonWindowTest, EpgDataCapIsBusyWhenItsFirstWindowHasAUdpChild) {
  EXPECT_FALSE(IsEpgDataCapBusy());
  AddEpgDataCap(false);
  EXPECT_FALSE(IsEpgDataCapBusy());
  AddEpgDataCap(true);  // only the first window is asked
  EXPECT_FALSE(IsEpgDataCapBusy());
}

TEST_F(EpgTimerBonWindowTest, WithoutScriptedWindowsNothingRuns) {
  UseRecorderWindows(nullptr);
  windows_ = nullptr;
  RecorderWindows& none = CurrentRecorderWindows();
  EXPECT_TRUE(none.FindTopLevel(L"EpgTimer_Bon").empty());
  EXPECT_FALSE(none.RequestClose(1, 0));
  EXPECT_FALSE(IsEpgDataCapBusy());
  EXPECT_TRUE(CloseEpgTimerBon(out_));
  EXPECT_EQ(RecorderWindowIdText(0x1A2B), "1a2b");
}

TEST_F(EpgTimerBonWindowTest, CloseWhenNotRunningOrInServerMode) {
  EXPECT_TRUE(CloseEpgTimerBon(out_));
  EXPECT_EQ(sleptMs_, 0u);

  windows_->Add({.title = L"EpgTimer_Bon", .takesCloseRequest = false});
  UseServerRecorder();
  EXPECT_TRUE(CloseEpgTimerBon(out_));
  EXPECT_EQ(windows_->CloseRequests(), 0);
  EXPECT_TRUE(reply_.empty());
}

TEST_F(EpgTimerBonWindowTest, CloseWaitsUntilTheWindowIsGone) {
  windows_->Add({.title = L"EpgTimer_Bon", .closesAfterLookups = 3});
  EXPECT_TRUE(CloseEpgTimerBon(out_));
  EXPECT_EQ(windows_->CloseRequests(), 1);
  EXPECT_EQ(sleptMs_, 1000u + 3 * 100u);
  EXPECT_TRUE(reply_.empty());
}

TEST_F(EpgTimerBonWindowTest, CloseRefusesWhileEpgDataCapRuns) {
  windows_->Add({.title = L"EpgTimer_Bon"});
  AddEpgDataCap(true);
  EXPECT_FALSE(CloseEpgTimerBon(out_));
  EXPECT_EQ(reply_, kRefusal);
  EXPECT_EQ(windows_->CloseRequests(), 0);
}

TEST_F(EpgTimerBonWindowTest, CloseRefusesWhenTheWindowStays) {
  // One that never goes, and one that does not even take the request.
  for (const ScriptedWindow& window :
       {ScriptedWindow{.title = L"EpgTimer_Bon", .closesAfterLookups = -1},
        ScriptedWindow{.title = L"EpgTimer_Bon", .takesCloseRequest = false}}) {
    const RecorderWindowId id = windows_->Add(window);
    reply_.clear();
    sleptMs_ = 0;
    ReplyWriter out(&reply_);
    EXPECT_FALSE(CloseEpgTimerBon(out));
    EXPECT_EQ(reply_, kRefusal);
    EXPECT_EQ(sleptMs_, 1000u + 50 * 100u);
    windows_->Remove(id);
  }
}

TEST_F(EpgTimerBonWindowTest, RestartWaitsForTheWindowAFewSecondsAtMost) {
  InstallRecorderProgram();
  windows_->Add({.title = L"EpgTimer_Bon", .appearsAfterLookups = 4});
  EXPECT_TRUE(RestartEpgTimerBon(settings_, &out_, true));
  EXPECT_EQ(sleptMs_, 200u + 4 * 100u + 300u);

  // A window that never shows: 200 + 49 x 100 + 300 ms, and still success.
  windows_->Remove(windows_->FindTopLevel(L"EpgTimer_Bon").front());
  sleptMs_ = 0;
  EXPECT_TRUE(RestartEpgTimerBon(settings_, nullptr, false));
  EXPECT_EQ(sleptMs_, 5400u);
  EXPECT_EQ(windows_->Lookups(L"EpgTimer_Bon"), 5 + 1 + 50);
  EXPECT_TRUE(reply_.empty());
}

TEST_F(EpgTimerBonWindowTest, WithoutVisibleWindowsNothingWaitsAndOnlyOneCopyRuns) {
  UseRecorderWindows(nullptr);
  windows_ = nullptr;
  const auto pids = InstallResidentRecorder();
  const test::ScopedEnv dir("FAKE_RECORDER_DIR", pids.parent_path().c_str());
  // One that ends on SIGTERM, and one that only SIGKILL ends.
  for (const char* mode : {"", "stubborn"}) {
    std::filesystem::remove(pids);
    const test::ScopedEnv stubborn("FAKE_RECORDER_MODE", mode);
    ASSERT_TRUE(RestartEpgTimerBon(settings_, &out_, true));
    ASSERT_EQ(StartedPids(pids, 1).size(), 1u);
    ASSERT_TRUE(RestartEpgTimerBon(settings_, &out_, true));  // the add page's way: no close first
    const std::vector<pid_t> started = StartedPids(pids, 2);
    ASSERT_EQ(started.size(), 2u) << mode;
    EXPECT_FALSE(Running(started[0])) << mode << ": the earlier copy was left running";
    EXPECT_TRUE(Running(started[1])) << mode;

    EXPECT_TRUE(CloseEpgTimerBon(out_));  // before a rewrite: ended, not asked
    EXPECT_FALSE(Running(started[1])) << mode;
    ASSERT_TRUE(RestartEpgTimerBon(settings_, nullptr, false));
    const std::vector<pid_t> last = StartedPids(pids, 3);
    ASSERT_EQ(last.size(), 3u) << mode;
    EndStartedEpgTimerBon();  // at exit
    EXPECT_FALSE(Running(last[2])) << mode;
  }
  EXPECT_EQ(sleptMs_, 0u) << "waited for a window that cannot be seen";
  EXPECT_TRUE(reply_.empty());
}

TEST_F(EpgTimerBonWindowTest, RestartFailureText) {
  // EPGTIMEREXE names a file that is not there (and a Windows program would
  // not run either).
  const std::string path = (File("recorder") / "EpgTimer_Bon.exe").string();
  EXPECT_FALSE(RestartEpgTimerBon(settings_, nullptr, true));

  EXPECT_FALSE(RestartEpgTimerBon(settings_, &out_, true));
  EXPECT_EQ(reply_, "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n"
                    "EpgTimer_Bonの起動に失敗しました\n" + path + "\n");

  test::WriteFileBytes(path, "MZ\x90");  // not executable here
  reply_.clear();
  ReplyWriter out(&reply_);
  EXPECT_FALSE(RestartEpgTimerBon(settings_, &out, false));
  EXPECT_EQ(reply_, "EpgTimer_Bonの起動に失敗しました\n" + path + "\n");
  EXPECT_EQ(sleptMs_, 0u);

  UseServerRecorder();
  EXPECT_TRUE(RestartEpgTimerBon(settings_, &out, false));
}

}  // namespace
}  // namespace plimod
