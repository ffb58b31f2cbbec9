#include "platform/main_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <thread>
#include <vector>

#include "platform/main_window.h"
#include "platform/window_messages.h"

namespace plimod {
namespace {

constexpr std::uint32_t kTestMessage = WM_APP + 10;
constexpr std::uint32_t kQuitMessage = WM_APP + 11;

// Records what the handler saw; kQuitMessage ends the loop.
struct Recorder {
  std::vector<std::uintptr_t> posted;
  std::vector<std::uintptr_t> ticks;
  MainLoop* loop = nullptr;
  std::function<void(std::uintptr_t)> onTick;

  std::intptr_t Handle(std::uint32_t message, std::uintptr_t wparam, std::intptr_t) {
    if (message == kTestMessage) posted.push_back(wparam);
    if (message == kQuitMessage) loop->Quit();
    if (message == WM_TIMER) {
      ticks.push_back(wparam);
      if (onTick) onTick(wparam);
    }
    return 0;
  }
};

struct LoopFixture : ::testing::Test {
  Recorder recorder;
  MainLoop loop{[this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
    return recorder.Handle(m, w, l);
  }};
  LoopFixture() { recorder.loop = &loop; }
};

TEST_F(LoopFixture, PostsFromManyThreadsArriveOnceEachAndInOrderPerThread) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 250;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) EXPECT_TRUE(loop.Post(kTestMessage, t * 1000 + i));
    });
  }
  std::thread closer([&] {
    for (auto& thread : threads) thread.join();
    loop.Post(kQuitMessage);
  });
  loop.Run();
  closer.join();

  ASSERT_EQ(recorder.posted.size(), static_cast<std::size_t>(kThreads * kPerThread));
  std::vector<int> next(kThreads, 0);
  for (std::uintptr_t value : recorder.posted) {
    int thread = static_cast<int>(value / 1000);
    EXPECT_EQ(static_cast<int>(value % 1000), next[thread]++);
  }
}

TEST_F(LoopFixture, QuitDropsLaterPostsAndEndsRun) {
  loop.Post(kTestMessage, 1);
  loop.Post(kQuitMessage);
  loop.Post(kTestMessage, 2);
  loop.Run();
  EXPECT_EQ(recorder.posted, (std::vector<std::uintptr_t>{1}));
  EXPECT_FALSE(loop.Post(kTestMessage, 3));
  loop.Run();  // already quit: returns at once
}

TEST_F(LoopFixture, SendCallsTheHandlerAtOnce) {
  loop.Send(kTestMessage, 42);
  EXPECT_EQ(recorder.posted, (std::vector<std::uintptr_t>{42}));
}

TEST_F(LoopFixture, SettingATimerAgainReplacesItsPeriod) {
  loop.SetTimer(100, 3'600'000);
  EXPECT_EQ(loop.TimerPeriod(100), 3'600'000u);
  loop.SetTimer(100, 20);
  EXPECT_EQ(loop.TimerPeriod(100), 20u);
  recorder.onTick = [&](std::uintptr_t) {
    if (recorder.ticks.size() == 3) loop.Quit();
  };
  loop.Run();
  // Only the replacing timer ticks; the replaced hour-long one is gone.
  EXPECT_EQ(recorder.ticks, (std::vector<std::uintptr_t>{100, 100, 100}));
}

TEST_F(LoopFixture, ZeroPeriodTimerTicksAtTheMinimumPace) {
  loop.SetTimer(5, 0);
  EXPECT_EQ(loop.TimerPeriod(5), MainLoop::kMinTimerMs);
}

TEST_F(LoopFixture, KilledTimerStopsAndATimerMayReplaceItselfInItsTick) {
  // Timer 1 ticks once, then its handler kills it; timer 2 replaces itself
  // with a shorter period on each tick and ends the run after five ticks.
  loop.SetTimer(1, 10);
  loop.SetTimer(2, 15);
  recorder.onTick = [&](std::uintptr_t id) {
    if (id == 1) loop.KillTimer(1);
    if (id != 2) return;
    loop.SetTimer(2, 10);
    if (std::count(recorder.ticks.begin(), recorder.ticks.end(), 2u) == 5) loop.Quit();
  };
  loop.Run();
  EXPECT_EQ(std::count(recorder.ticks.begin(), recorder.ticks.end(), 1u), 1);
  EXPECT_EQ(loop.TimerPeriod(1), 0u);
  EXPECT_EQ(loop.TimerPeriod(2), 10u);
}

TEST_F(LoopFixture, TimerSetFromAnotherThreadTicksOnTheLoopThread) {
  std::thread::id loopThread = std::this_thread::get_id();
  std::thread::id tickThread;
  recorder.onTick = [&](std::uintptr_t) {
    tickThread = std::this_thread::get_id();
    loop.Quit();
  };
  std::thread setter([&] { loop.SetTimer(400, 10); });
  setter.join();
  loop.Run();
  EXPECT_EQ(tickThread, loopThread);
}

TEST_F(LoopFixture, ReadableDescriptorCallsBackOnTheLoop) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  char seen = 0;
  loop.WatchReadable(fds[0], [&] {
    ASSERT_EQ(read(fds[0], &seen, 1), 1);
    loop.Quit();
  });
  std::thread writer([&] { ASSERT_EQ(write(fds[1], "x", 1), 1); });
  loop.Run();
  writer.join();
  EXPECT_EQ(seen, 'x');
  close(fds[0]);
  close(fds[1]);
}

TEST_F(LoopFixture, SignalCallsBackOnTheLoopInsteadOfEndingTheProcess) {
  int calls = 0;
  loop.WatchSignal(SIGHUP, [&] {
    ++calls;
    loop.Quit();
  });
  raise(SIGHUP);
  loop.Run();
  EXPECT_EQ(calls, 1);
}

TEST_F(LoopFixture, MainWindowCallsReachTheLoopOnlyWhileItIsSet) {
  EXPECT_FALSE(MainWindowHandle());
  EXPECT_FALSE(PostMainWindowMessage(kTestMessage, 1));
  EXPECT_FALSE(SetMainWindowTimer(100, 1000));

  SetMainWindowHandle(&loop);
  EXPECT_TRUE(MainWindowHandle());
  EXPECT_TRUE(PostMainWindowMessage(kTestMessage, 2));
  EXPECT_TRUE(SetMainWindowTimer(100, 1000));
  EXPECT_EQ(loop.TimerPeriod(100), 1000u);
  EXPECT_TRUE(KillMainWindowTimer(100));
  EXPECT_EQ(loop.TimerPeriod(100), 0u);
  EXPECT_TRUE(PostMainWindowMessage(kQuitMessage));
  loop.Run();
  SetMainWindowHandle(nullptr);

  EXPECT_FALSE(PostMainWindowMessage(kTestMessage, 3));
  EXPECT_EQ(recorder.posted, (std::vector<std::uintptr_t>{2}));
}

}  // namespace
}  // namespace plimod
