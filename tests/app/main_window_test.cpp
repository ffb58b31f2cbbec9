#include "app/main_window_proc.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <unistd.h>

#include "app/desktop_access.h"
#include "app/epg_check_timer.h"
#include "app/epg_reload.h"
#include "app/sleep_guard.h"
#include "app/tray_icon.h"
#include "epg/epg_busy_flag.h"
#include "epg/epg_folder.h"
#include "platform/main_window.h"
#include "platform/program_stop.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"
#include "services/syoboi_schedule.h"
#include "settings/settings.h"
#include "tests/support/fake_calendar.h"
#include "tests/support/scoped_env.h"

namespace plimod {
namespace {

namespace fs = std::filesystem;

// A message no part of the program handles; the fixture counts it.
constexpr std::uint32_t kProbeMessage = WM_APP + 99;

bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds bound) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Keeps what the program showed instead of showing it.
struct RecordingDesktop : Desktop {
  std::vector<int> trayStates;
  bool iconShown = false;
  TrayMenu lastMenu;
  int menusShown = 0;

  void AddTrayIcon(int state) override {
    iconShown = true;
    trayStates.push_back(state);
  }
  void SetTrayIcon(int state) override { trayStates.push_back(state); }
  void DeleteTrayIcon() override { iconShown = false; }
  void BringToForeground() override {}
  void ShowTrayMenu(const TrayMenu& menu) override {
    lastMenu = menu;
    ++menusShown;
  }
  void ShowMessageBox(std::wstring_view, std::wstring_view) override {}
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest()
      : folder_(fs::temp_directory_path() / ("plimod-mainwindow-" + std::to_string(getpid()))),
        store_(PLIMOD_BINARY_DIR "/bin/"),
        loop_([this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
          if (m == kProbeMessage) ++probes_;
          return MainWndProc(window_, m, w, l);
        }) {
    fs::create_directories(folder_);
    auto desktop = std::make_unique<RecordingDesktop>();
    desktop_ = desktop.get();
    UseDesktop(std::move(desktop));
    SetTrayIconState(kTrayNormal);
    desktop_->trayStates.clear();
    Settings().Clear();
    Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", Utf8ToWide(folder_.string()));
    ResetEpgFolderState();
    SetSleeperForTesting([this](std::uint32_t) { ++sleeps_; });
    SetMainWindowHandle(&loop_);
  }

  ~MainWindowTest() override {
    ClearProgramStop();  // the exit command stops the program's waits
    SetMainWindowHandle(nullptr);
    SetSleeperForTesting({});
    UseDesktop(nullptr);
    Settings().Clear();
    ResetEpgFolderState();
    fs::remove_all(folder_);
  }

  void SetCheckTime(int hours) { Settings().SetInt(L"SYSTEM", L"EPGDATACHECKTIME", hours); }

  fs::path folder_;
  EpgStore store_;
  MainLoop loop_;
  MainWindow window_{loop_, store_};
  RecordingDesktop* desktop_ = nullptr;
  int sleeps_ = 0;
  std::atomic<int> probes_{0};
};

TEST(EpgCheckPeriodTest, HoursAreBoundedAndBelowOneMeansNoTimer) {
  EXPECT_EQ(EpgCheckPeriodMs(1), 3'600'000u);
  EXPECT_EQ(EpgCheckPeriodMs(99), 356'400'000u);
  EXPECT_EQ(EpgCheckPeriodMs(120), 356'400'000u);
  EXPECT_FALSE(EpgCheckPeriodMs(0));
  EXPECT_FALSE(EpgCheckPeriodMs(-3));
}

TEST_F(MainWindowTest, CheckTimerFollowsTheSettings) {
  EXPECT_TRUE(SetEpgCheckTimer());  // missing: one hour
  EXPECT_EQ(loop_.TimerPeriod(kEpgCheckTimer), 3'600'000u);
  SetCheckTime(120);
  EXPECT_TRUE(SetEpgCheckTimer());
  EXPECT_EQ(loop_.TimerPeriod(kEpgCheckTimer), 356'400'000u);
  SetCheckTime(0);
  EXPECT_FALSE(SetEpgCheckTimer());  // left as it was
  EXPECT_EQ(loop_.TimerPeriod(kEpgCheckTimer), 356'400'000u);
}

TEST_F(MainWindowTest, ReloadGivesUpAfterFortyNineWaitsAndRearms) {
  ASSERT_TRUE(EpgBusyFlag.TryAcquire());
  loop_.SetTimer(kEpgCheckTimer, 0);
  EXPECT_FALSE(ReloadEpg(store_));
  EXPECT_EQ(sleeps_, 49);
  EXPECT_EQ(loop_.TimerPeriod(kEpgCheckTimer), 3'600'000u);
  EXPECT_TRUE(desktop_->trayStates.empty());  // never shown busy
  EXPECT_TRUE(EpgBusyFlag.IsBusy());          // still the other holder's
  EpgBusyFlag.Release();
}

TEST_F(MainWindowTest, ReloadShowsBusyWhileLoadingThenRearmsTheCheckTimer) {
  SetCheckTime(2);
  loop_.SetTimer(kEpgCheckTimer, 0);
  EXPECT_TRUE(ReloadEpg(store_));
  EXPECT_EQ(sleeps_, 0);
  EXPECT_EQ(desktop_->trayStates, (std::vector<int>{kTrayBusy, kTrayNormal}));
  EXPECT_FALSE(EpgBusyFlag.IsBusy());
  EXPECT_EQ(loop_.TimerPeriod(kEpgCheckTimer), 7'200'000u);
}

TEST_F(MainWindowTest, WithoutACheckTimeTheFirstLoadTimerStopsAfterItsLoadOnly) {
  SetCheckTime(0);
  loop_.SetTimer(kEpgCheckTimer, 0);
  ASSERT_TRUE(EpgBusyFlag.TryAcquire());
  EXPECT_FALSE(ReloadEpg(store_));
  EXPECT_EQ(loop_.TimerPeriod(kEpgCheckTimer), MainLoop::kMinTimerMs);  // tried again later
  EpgBusyFlag.Release();

  EXPECT_TRUE(ReloadEpg(store_));
  EXPECT_EQ(loop_.TimerPeriod(kEpgCheckTimer), 0u);  // no reload storm
}

// The calendar is asked without the flag; a page that slips in meanwhile
// and keeps it leaves the loop serving, and the jobs after the load run
// with what was fetched once the page lets go.
TEST_F(MainWindowTest, ReloadWhoseFlagAPageKeepsLeavesTheLoopServingAndRunsItsJobsLater) {
  test::FakeCalendar calendar;
  ASSERT_TRUE(calendar.Running());
  test::ScopedEnv url("SYOBOCAL_URL", calendar.BaseUrl().c_str());
  calendar.Reply(200, test::SyoboiReplyDocument({}), 1000);  // time for the page to slip in
  Settings().SetInt(L"SYSTEM", L"SYOBOCAL_ENABLE", 1);
  Settings().SetString(L"SYSTEM", L"SYOBOCAL_LOADTIME", L"5:00");  // armed by the jobs
  bool pageTookFlag = false;
  bool servedWhilePageHeld = false;
  bool jobsRanWhilePageHeld = true;
  bool jobsRanAfter = false;
  std::thread page([&] {
    if (WaitFor([&] { return !calendar.Requests().empty(); }, std::chrono::seconds(30))) {
      pageTookFlag = EpgBusyFlag.TryAcquire();
      loop_.Post(kProbeMessage);
      servedWhilePageHeld = WaitFor([&] { return probes_ == 1; }, std::chrono::seconds(10));
      jobsRanWhilePageHeld = loop_.TimerPeriod(kSyoboiLoadTimer) != 0;
      if (pageTookFlag) EpgBusyFlag.Release();
      jobsRanAfter = WaitFor([&] { return loop_.TimerPeriod(kSyoboiLoadTimer) != 0; }, std::chrono::seconds(30));
    }
    loop_.Quit();
  });
  loop_.Post(kReloadEpgMessage);
  loop_.Run();
  page.join();
  ASSERT_TRUE(pageTookFlag) << "the flag was not let go while the calendar was asked";
  EXPECT_TRUE(servedWhilePageHeld) << "the loop waited for the page";
  EXPECT_FALSE(jobsRanWhilePageHeld);
  EXPECT_TRUE(jobsRanAfter) << "the jobs after the load were dropped";
  EXPECT_EQ(calendar.Requests().size(), 1u) << "the jobs ran with what was fetched";
  EXPECT_FALSE(EpgBusyFlag.IsBusy());
  EXPECT_EQ(desktop_->trayStates.back(), kTrayNormal);
}

TEST_F(MainWindowTest, UploadTimerFiresOnceAndIsDroppedWhileTheStoreIsBusy) {
  loop_.SetTimer(kSyoboiUploadTimer, 180'000);
  ASSERT_TRUE(EpgBusyFlag.TryAcquire());
  loop_.Send(WM_TIMER, kSyoboiUploadTimer);
  EXPECT_EQ(loop_.TimerPeriod(kSyoboiUploadTimer), 0u);
  EXPECT_EQ(sleeps_, 49);
  EpgBusyFlag.Release();

  loop_.SetTimer(kSyoboiUploadTimer, 180'000);
  loop_.Send(WM_TIMER, kSyoboiUploadTimer);
  EXPECT_EQ(loop_.TimerPeriod(kSyoboiUploadTimer), 0u);
  EXPECT_FALSE(EpgBusyFlag.IsBusy());
}

TEST_F(MainWindowTest, ExitCommandClosesTheWindowAndEndsTheLoop) {
  AddTrayIcon();
  for (std::uint32_t id : {kEpgCheckTimer, kSyoboiLoadTimer, kSyoboiUploadTimer, kSleepGuardTimer}) {
    loop_.SetTimer(id, 3'600'000);
  }
  loop_.Send(WM_COMMAND, kCommandExit);
  loop_.Run();  // handles the posted close, which quits
  EXPECT_TRUE(loop_.QuitRequested());
  EXPECT_TRUE(ProgramStopRequested()) << "waits on peers must give up too";
  EXPECT_FALSE(desktop_->iconShown);
  for (std::uint32_t id : {kEpgCheckTimer, kSyoboiLoadTimer, kSyoboiUploadTimer, kSleepGuardTimer}) {
    EXPECT_EQ(loop_.TimerPeriod(id), 0u) << id;
  }
}

TEST_F(MainWindowTest, RightClickOnTheTrayIconShowsTheMenu) {
  loop_.Send(kTrayCallbackMessage, 1, kTrayRightButtonUp);  // not our icon
  EXPECT_EQ(desktop_->menusShown, 0);
  loop_.Send(kTrayCallbackMessage, 0, kTrayRightButtonUp);
  ASSERT_EQ(desktop_->menusShown, 1);
  const TrayMenu& menu = desktop_->lastMenu;
  // The recorder link's batch-file list comes first (no reservation server
  // here, so no folder list).
  ASSERT_EQ(menu.size(), 6u);
  EXPECT_EQ(menu[0].command, kCommandBatchFiles);
  EXPECT_EQ(menu[1].command, kCommandHttpDialog);
  EXPECT_EQ(menu[1].text, L"httpサーバ設定...");
  EXPECT_EQ(menu[2].command, kCommandLauncherDialog);
  EXPECT_EQ(menu[3].command, 0u);
  EXPECT_EQ(menu[4].command, 0u);
  EXPECT_EQ(menu[5].command, kCommandExit);
  EXPECT_EQ(menu[5].text, L"終了(&Q)");
}

TEST_F(MainWindowTest, TrayStateIsKeptForANegativeState) {
  SetTrayIconState(kTrayBusy);
  AddTrayIcon(-1);
  EXPECT_EQ(TrayIconState(), kTrayBusy);
  EXPECT_EQ(desktop_->trayStates.back(), kTrayBusy);
  SetTrayIconState(kTrayNormal);
}

TEST_F(MainWindowTest, PowerQueryIsAnsweredThroughTheWindow) {
  EXPECT_EQ(loop_.Send(WM_POWERBROADCAST, 0x0000), kPowerQueryAllow);
}

}  // namespace
}  // namespace plimod
