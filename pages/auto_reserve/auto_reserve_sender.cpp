#include "pages/auto_reserve/auto_reserve_sender.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/sync.h"
#include "recorder/lists/reserve_list_keep.h"

namespace plimod {

namespace {

constexpr std::uint32_t kStopWaitMs = 5000;
// Past a load's two server calls at their time-outs.
constexpr auto kLoadEndWait = std::chrono::seconds(100);
constexpr std::uint32_t kWorkerSliceMs = 1000;

struct QueuedPass {
  IniFile* settings = nullptr;
  AutoReserveSends sends;
};

struct SenderState {
  std::mutex mutex;
  bool running = false;
  std::deque<QueuedPass> passes;
  StoppableThread worker;
};

// Never destroyed: a worker that overran the stop still reads the queue.
SenderState& State() {
  static SenderState& state = *new SenderState;
  return state;
}

std::optional<QueuedPass> TakePass(SenderState& state) {
  std::lock_guard lock(state.mutex);
  if (state.passes.empty()) return std::nullopt;
  QueuedPass pass = std::move(state.passes.front());
  state.passes.pop_front();
  return pass;
}

void SenderWorker(StopSignal& stop) {
  SenderState& state = State();
  while (!stop.StopRequested()) {
    std::optional<QueuedPass> pass = TakePass(state);
    if (!pass) {
      stop.WaitForStop(kWorkerSliceMs);
      continue;
    }
    // The pass has just asked for the list (its own load would otherwise
    // keep the server from the adds until they give up).
    WaitForReserveListLoadEnd(kLoadEndWait);
    SendAutoReservePass(*pass->settings, std::move(pass->sends));
  }
}

}  // namespace

void SendAutoReserveInTurn(IniFile& settings, AutoReserveSends sends) {
  if (sends.adds.empty() && sends.retitles.empty()) return;
  SenderState& state = State();
  {
    std::lock_guard lock(state.mutex);
    if (state.running) {
      state.passes.push_back({&settings, std::move(sends)});
      state.worker.Wake();
      return;
    }
  }
  SendAutoReservePass(settings, std::move(sends));
}

bool StartAutoReserveSender() {
  SenderState& state = State();
  std::lock_guard lock(state.mutex);
  if (state.running || !state.worker.Start(SenderWorker)) return false;
  state.running = true;
  return true;
}

void StopAutoReserveSender() {
  SenderState& state = State();
  {
    std::lock_guard lock(state.mutex);
    if (!state.running) return;
    state.running = false;
    state.passes.clear();
  }
  state.worker.Stop(kStopWaitMs);
}

}  // namespace plimod
