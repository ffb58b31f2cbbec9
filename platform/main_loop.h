#pragma once
// The program's main loop: one handler fed with numbered messages and timer
// ticks on the thread that runs the loop, over GLib's default main context.
// Any thread may post messages and set or kill timers.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

typedef struct _GSource GSource;

namespace plimod {

using MessageHandler =
    std::function<std::intptr_t(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam)>;

class MainLoop {
 public:
  // Shortest timer period; a 0 ms timer fires at this pace, not in a busy spin.
  inline static constexpr std::uint32_t kMinTimerMs = 10;

  explicit MainLoop(MessageHandler handler);
  // Removes every timer, watch and queued message. Call on the loop's thread
  // once Run has returned; other threads must have stopped using the loop.
  ~MainLoop();
  MainLoop(const MainLoop&) = delete;
  MainLoop& operator=(const MainLoop&) = delete;

  // Queues a message for the handler, in order. False once Quit was called.
  bool Post(std::uint32_t message, std::uintptr_t wparam = 0, std::intptr_t lparam = 0);
  // Calls the handler at once on the calling thread (the loop's own).
  std::intptr_t Send(std::uint32_t message, std::uintptr_t wparam = 0, std::intptr_t lparam = 0);

  // Delivers WM_TIMER with `id` every `periodMs` until killed. Setting an id
  // again replaces its period and restarts its count. A tick is never queued
  // twice: a handler that runs long delays the next tick instead.
  void SetTimer(std::uint32_t id, std::uint32_t periodMs);
  void KillTimer(std::uint32_t id);
  // The period of a running timer, 0 when the id has none.
  std::uint32_t TimerPeriod(std::uint32_t id) const;

  // Calls `onReadable` on the loop's thread whenever `fd` has data to read.
  // The loop does not own the descriptor; it stops watching on destruction.
  void WatchReadable(int fd, std::function<void()> onReadable);
  // Calls `onSignal` on the loop's thread when the process receives `signum`
  // (SIGHUP, SIGINT, SIGTERM, SIGUSR1, SIGUSR2 or SIGWINCH).
  void WatchSignal(int signum, std::function<void()> onSignal);

  // Runs until Quit; returns at once when Quit was already called.
  void Run();
  // Ends Run after the message in hand; messages still queued are dropped.
  // Safe from any thread and from the handler itself.
  void Quit();
  bool QuitRequested() const { return quit_.load(); }

 private:
  struct Message {
    std::uint32_t message;
    std::uintptr_t wparam;
    std::intptr_t lparam;
  };
  struct Timer {
    GSource* source;
    std::uint32_t periodMs;
  };
  friend struct MainLoopAccess;

  bool HasMessages() const;
  void DispatchOneMessage();
  void DispatchTimer(GSource* source, std::uint32_t id);
  void AddWatch(GSource* source);

  MessageHandler handler_;
  std::atomic<bool> quit_{false};
  mutable std::mutex mutex_;
  std::deque<Message> queue_;
  std::map<std::uint32_t, Timer> timers_;
  bool closed_ = false;
  GSource* messageSource_ = nullptr;
  std::deque<GSource*> watches_;
};

}  // namespace plimod
