#pragma once
// The program's few concurrency tools. Every wait is bounded and every
// thread stops on a flag plus a wake-up.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace plimod {

// A flag one thread at a time may hold (for example "the EPG store is being
// loaded"). Taking it is one compare-and-swap.
class BusyFlag {
 public:
  inline static constexpr std::uint32_t kPollMs = 100;

  // One attempt.
  bool TryAcquire();
  // One attempt, then up to `polls` more, each after a sleep of kPollMs
  // that ends early when the flag is released (SleepMsUnless).
  bool TryAcquire(int polls);
  void Release();
  bool IsBusy() const;

 private:
  std::atomic<bool> busy_{false};
};

// An event that wakes one waiter and resets itself.
class AutoResetEvent {
 public:
  void Set();
  // True when the event was set within `timeoutMs` (it is then reset).
  bool Wait(std::uint32_t timeoutMs);

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_ = false;
};

// A lock that goes to its waiters in the order they came: the thread that
// lets it go hands it to the longest waiter and cannot take it again ahead
// of them. A wait is bounded; a thread whose wait ran out goes on without
// the lock, and its Release then frees nothing. Not re-entrant: a thread
// that holds it and asks again waits out its bound.
class TurnLock {
 public:
  // True when the calling thread holds the lock within `timeoutMs`.
  [[nodiscard]] bool Acquire(std::uint32_t timeoutMs);
  // Frees the lock when the calling thread holds it; otherwise nothing.
  void Release();
  // How many threads wait for it (a test lines its waiters up by it).
  std::size_t Waiting() const;

 private:
  struct Waiter {
    std::uint64_t ticket;
    std::thread::id thread;
  };

  mutable std::mutex mutex_;
  std::condition_variable handed_;
  std::uint64_t tickets_ = 0;
  std::uint64_t heldTicket_ = 0;  // 0: free
  std::thread::id holder_;
  std::deque<Waiter> waiters_;  // in the order they came
};

// What a StoppableThread's body sees: whether to stop, and a bounded wait
// that a stop request cuts short.
class StopSignal {
 public:
  bool StopRequested() const;
  // Waits up to `ms`; true when a stop was requested (before or during).
  bool WaitForStop(std::uint32_t ms);
  // Ends a WaitForStop early without asking to stop (a "work is waiting"
  // wake-up); the next WaitForStop returns at once, false.
  void Wake();

 private:
  friend class StoppableThread;
  void RequestStop();
  void MarkFinished();
  bool WaitFinished(std::uint32_t ms);

  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool stop_ = false;
  bool woken_ = false;
  bool finished_ = false;
};

// A thread whose body loops until asked to stop.
class StoppableThread {
 public:
  StoppableThread() = default;
  // Stops with a join bounded by kDefaultStopMs.
  ~StoppableThread();
  StoppableThread(const StoppableThread&) = delete;
  StoppableThread& operator=(const StoppableThread&) = delete;

  inline static constexpr std::uint32_t kDefaultStopMs = 10'000;

  // Starts the body; false when a thread is already running or cannot start.
  bool Start(std::function<void(StopSignal&)> body);
  // Wakes the body's current wait without asking it to stop.
  void Wake();
  // Asks the body to stop, wakes it and waits up to `timeoutMs` for it to
  // end. True when it ended and was joined; false when it overran (it is then
  // detached and keeps its own state alive until it ends).
  bool Stop(std::uint32_t timeoutMs = kDefaultStopMs);
  bool Running() const { return thread_.joinable(); }

 private:
  std::shared_ptr<StopSignal> signal_;
  std::thread thread_;
};

}  // namespace plimod
