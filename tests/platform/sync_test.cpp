#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/system_time.h"
#include "tests/support/eventually.h"

namespace plimod {
namespace {

TEST(BusyFlag, OnlyOneOfManyThreadsHoldsItAtATime) {
  BusyFlag flag;
  std::atomic<int> holders{0};
  std::atomic<int> maxHolders{0};
  std::atomic<int> acquired{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        if (!flag.TryAcquire()) {
          std::this_thread::yield();
          continue;
        }
        const int now = ++holders;
        int seen = maxHolders.load();
        while (now > seen && !maxHolders.compare_exchange_weak(seen, now)) {
        }
        ++acquired;
        --holders;
        flag.Release();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(maxHolders.load(), 1);
  EXPECT_GT(acquired.load(), 0);
  EXPECT_FALSE(flag.IsBusy());
}

TEST(BusyFlag, PollsABoundedNumberOfTimes) {
  std::vector<std::uint32_t> sleeps;
  SetSleeperForTesting([&](std::uint32_t ms) { sleeps.push_back(ms); });
  BusyFlag flag;
  ASSERT_TRUE(flag.TryAcquire(9));
  EXPECT_TRUE(sleeps.empty());
  EXPECT_FALSE(flag.TryAcquire(9));
  EXPECT_EQ(sleeps, std::vector<std::uint32_t>(9, BusyFlag::kPollMs));
  SetSleeperForTesting(nullptr);
}

TEST(BusyFlag, WaiterGetsItWhenTheHolderReleasesDuringThePolls) {
  BusyFlag flag;
  ASSERT_TRUE(flag.TryAcquire());
  int polls = 0;
  SetSleeperForTesting([&](std::uint32_t) {
    if (++polls == 3) flag.Release();
  });
  EXPECT_TRUE(flag.TryAcquire(49));
  EXPECT_EQ(polls, 3);
  SetSleeperForTesting(nullptr);
}

// Without a test sleeper the polls end when the flag comes free, not at the
// end of the 100 ms: a minute-long sleep here would stall the test.
TEST(BusyFlag, ASleepEndsWhenWhatItWaitsForIsReady) {
  SleepMsUnless(60'000, [] { return true; });
  BusyFlag flag;
  ASSERT_TRUE(flag.TryAcquire());
  std::thread holder([&flag] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    flag.Release();
  });
  SleepMsUnless(60'000, [&flag] { return !flag.IsBusy(); });
  EXPECT_TRUE(flag.TryAcquire());
  holder.join();
}

TEST(AutoResetEvent, WakesOnceThenResets) {
  AutoResetEvent event;
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  event.Set();  // not counted twice
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));

  std::thread setter([&] { event.Set(); });
  EXPECT_TRUE(event.Wait(60'000));
  setter.join();
}

TEST(TurnLock, WaitersGetItInTheOrderTheyCameEvenBeforeTheThreadThatLetItGo) {
  TurnLock lock;
  ASSERT_TRUE(lock.Acquire(0));
  std::vector<int> order;  // written by holders only
  std::vector<std::thread> waiters;
  for (int i = 1; i <= 3; ++i) {
    waiters.emplace_back([&lock, &order, i] {
      ASSERT_TRUE(lock.Acquire(60'000));
      order.push_back(i);
      lock.Release();
    });
    EXPECT_TRUE(test::Eventually([&] { return lock.Waiting() == static_cast<std::size_t>(i); }));
  }
  lock.Release();
  ASSERT_TRUE(lock.Acquire(60'000));  // at once again: behind the three
  order.push_back(0);
  lock.Release();
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 0}));
}

TEST(TurnLock, AWaiterWhoseWaitRanOutGoesOnAndFreesNothing) {
  TurnLock lock;
  ASSERT_TRUE(lock.Acquire(0));
  std::thread late([&lock] {
    EXPECT_FALSE(lock.Acquire(50));
    lock.Release();  // as a command that went on without it does at its end
    EXPECT_FALSE(lock.Acquire(50)) << "the holder's lock was freed by a thread that never had it";
  });
  late.join();
  EXPECT_EQ(lock.Waiting(), 0u);
  lock.Release();
  std::thread next([&lock] { EXPECT_TRUE(lock.Acquire(0)) << "handed to a waiter gone on"; });
  next.join();
}

TEST(StoppableThread, StopWakesALongWait) {
  StoppableThread thread;
  std::atomic<int> loops{0};
  AutoResetEvent started;
  ASSERT_TRUE(thread.Start([&](StopSignal& signal) {
    started.Set();
    while (!signal.WaitForStop(3'600'000)) ++loops;
  }));
  EXPECT_FALSE(thread.Start([](StopSignal&) {}));  // already running
  ASSERT_TRUE(started.Wait(60'000));
  EXPECT_TRUE(thread.Stop(60'000));
  EXPECT_FALSE(thread.Running());
  EXPECT_TRUE(thread.Stop(0));  // stopping twice is harmless
}

TEST(StoppableThread, WakeRunsAnotherRoundWithoutStopping) {
  StoppableThread thread;
  AutoResetEvent round;
  ASSERT_TRUE(thread.Start([&](StopSignal& signal) {
    while (!signal.WaitForStop(3'600'000)) round.Set();
  }));
  thread.Wake();
  EXPECT_TRUE(round.Wait(60'000));
  EXPECT_TRUE(thread.Stop(60'000));
}

TEST(StoppableThread, OverrunningBodyIsDetachedNotWaitedForever) {
  AutoResetEvent release;
  AutoResetEvent ended;
  {
    StoppableThread thread;
    ASSERT_TRUE(thread.Start([&](StopSignal&) {
      release.Wait(60'000);  // ignores the stop request for a while
      ended.Set();
    }));
    EXPECT_FALSE(thread.Stop(0));
    EXPECT_FALSE(thread.Running());
  }
  release.Set();
  EXPECT_TRUE(ended.Wait(60'000));
}

}  // namespace
}  // namespace plimod
