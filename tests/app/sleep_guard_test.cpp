#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "app/sleep_guard.h"
#include "platform/main_window.h"
#include "platform/system_time.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/base/reserve_row.h"
#include "settings/settings.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {
namespace {

// Where nothing listens at the system bus's address, the guard holds
// nothing and says so once, however long the recording lasts.
TEST(SleepGuardTest, WithoutASystemBusNothingIsHeldAndTheLogSaysSoOnce) {
  TempFolder folder("plimod-bus");
  const std::string address = "unix:path=" + folder.File("no_bus").string();
  ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", address.c_str());
  RecordingSleepGuard guard;
  EXPECT_TRUE(guard.Update(false).empty());
  const auto lines = guard.Update(true);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "システムバスがないためスリープを抑止できません\n");
  EXPECT_FALSE(guard.Holding());
  EXPECT_TRUE(guard.Update(true).empty());
  EXPECT_TRUE(guard.Update(false).empty());
  EXPECT_TRUE(guard.Update(true).empty());
  guard.KeepAwakeForClients(true);
  EXPECT_FALSE(guard.HoldingForClients());
  guard.KeepAwakeForClients(false);
}

// The busy check reloads the reservation list from a server that takes its
// time over every reply: the main loop goes on, and the answer comes to it.
TEST(SleepGuardTest, BusyCheckWaitsForTheServerOffTheMainLoopAndPostsItsAnswer) {
  TempFolder folder("plimod-guard");
  TempFolder pipes("plimod-guard-pipe");
  ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + folder.File("no_bus").string()).c_str());
  ScopedEnv pipeDir("EPGTIMER_PIPE_DIR", pipes.Path().c_str());
  ScopedEnv prefix("EPGTIMER_EVENT_PREFIX", UniqueSrvName("guard").c_str());
  const pid_t server = StartProcess(PLIMOD_BINARY_DIR "/bin/fake_epgtimersrv", {"--delay-ms", "1500"},
                                    {"EPGTIMER_PIPE_DIR=" + pipes.Path().string(),
                                     std::string("EPGTIMER_EVENT_PREFIX=") + std::getenv("EPGTIMER_EVENT_PREFIX")});
  ASSERT_GT(server, 0);
  for (int i = 0; i < 6000 && !std::filesystem::exists(pipes.File("EpgTimerSrvPipe")); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  WriteFileBytes(folder.File("EpgTimerSrv.ini"), "[BonDriver_A.dll]\r\nMode=0\r\nCount=1\r\n");
  Settings().SetString(L"EPGDATACAP", L"ENABLE", L"1");
  Settings().SetString(L"EPGDATACAP", L"EPGTIMEREXE", folder.File("EpgTimer_Bon.exe").wstring());
  DetectTuners(Settings());
  ReserveRow soon;
  soon.start = *TicksToSystemTime(LocalNowTicks() + 120 * kTicksPerSecond);
  soon.duration = 600;
  ASSERT_EQ(SrvAddReservation(soon, 15'000), 0);

  std::optional<bool> answer;
  MainLoop loop([&](std::uint32_t message, std::uintptr_t wparam, std::intptr_t) {
    if (message == kSleepGuardAnswerMessage) answer = wparam != 0;
    if (message == kSleepGuardAnswerMessage || message == WM_TIMER) loop.Quit();
    return std::intptr_t{0};
  });
  SetMainWindowHandle(&loop);
  StartSleepGuard(loop);
  const auto start = std::chrono::steady_clock::now();
  RunSleepGuard();
  // Three listings of 1.5 s each would have passed had it waited for them.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  loop.SetTimer(1, 30'000);  // the bound on the wait for the answer
  loop.Run();
  EXPECT_EQ(answer, std::optional<bool>(true));

  StopSleepGuard(loop);
  SetMainWindowHandle(nullptr);
  StopProcess(server, std::chrono::seconds(5));
  Settings().Clear();
  IniFile off;
  DetectTuners(off);
}

}  // namespace
}  // namespace plimod::test
