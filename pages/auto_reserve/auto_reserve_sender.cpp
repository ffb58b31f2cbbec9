#include "pages/auto_reserve/auto_reserve_sender.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "recorder/lists/reserve_list_keep.h"

namespace plimod {

namespace {

constexpr auto kStopWait = std::chrono::seconds(5);
// Past a load's two server calls at their time-outs.
constexpr auto kLoadEndWait = std::chrono::seconds(100);
constexpr auto kWorkerSlice = std::chrono::seconds(1);

struct QueuedPass {
  IniFile* settings = nullptr;
  AutoReserveSends sends;
};

struct SenderState {
  std::mutex mutex;
  std::condition_variable queued;  // the worker: a pass is queued, or stop
  std::condition_variable ended;   // the stop: the worker has ended
  std::uint64_t run = 0;           // the worker of another run ends on its own
  bool running = false;
  bool workerEnded = true;
  std::deque<QueuedPass> passes;
  std::thread worker;
};

// Never destroyed: a worker that overran the stop still reads it.
SenderState& State() {
  static SenderState& state = *new SenderState;
  return state;
}

void SenderWorker(std::uint64_t run) {
  SenderState& state = State();
  std::unique_lock lock(state.mutex);
  while (state.run == run) {
    if (!state.queued.wait_for(lock, kWorkerSlice, [&] { return state.run != run || !state.passes.empty(); })) {
      continue;
    }
    if (state.run != run) break;
    QueuedPass pass = std::move(state.passes.front());
    state.passes.pop_front();
    lock.unlock();
    // The pass has just asked for the list (its own load would otherwise
    // keep the server from the adds until they give up).
    WaitForReserveListLoadEnd(kLoadEndWait);
    SendAutoReservePass(*pass.settings, std::move(pass.sends));
    lock.lock();
  }
  state.workerEnded = true;
  state.ended.notify_all();
}

}  // namespace

void SendAutoReserveInTurn(IniFile& settings, AutoReserveSends sends) {
  if (sends.adds.empty() && sends.retitles.empty()) return;
  SenderState& state = State();
  {
    std::lock_guard lock(state.mutex);
    if (state.running) {
      state.passes.push_back({&settings, std::move(sends)});
      state.queued.notify_all();
      return;
    }
  }
  SendAutoReservePass(settings, std::move(sends));
}

bool StartAutoReserveSender() {
  SenderState& state = State();
  std::lock_guard lock(state.mutex);
  if (state.running || !state.workerEnded) return false;
  state.running = true;
  state.workerEnded = false;
  state.worker = std::thread(SenderWorker, ++state.run);
  return true;
}

void StopAutoReserveSender() {
  SenderState& state = State();
  std::unique_lock lock(state.mutex);
  if (!state.running) return;
  state.running = false;
  ++state.run;
  state.passes.clear();
  state.queued.notify_all();
  const bool ended = state.ended.wait_for(lock, kStopWait, [&] { return state.workerEnded; });
  std::thread worker = std::move(state.worker);
  lock.unlock();
  if (ended) {
    worker.join();
  } else {
    worker.detach();
  }
}

}  // namespace plimod
