#include "recorder/base/page_turns.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "platform/program_stop.h"

namespace plimod {

namespace {

// Past a page's few commands at their time-outs; a turn that does not end
// is not waited for longer.
constexpr auto kTurnWait = std::chrono::seconds(60);
// The program's stop is a flag a signal handler sets, with no wake-up for a
// condition variable: it is looked at this often, and so is the end of the
// background thread's work.
constexpr auto kStopPoll = std::chrono::milliseconds(100);

struct TurnState {
  std::mutex mutex;
  std::condition_variable changed;
  int pageTurns = 0;
};

// Never destroyed: a thread that overran the program's stop may still ask.
TurnState& State() {
  static TurnState& state = *new TurnState;
  return state;
}

thread_local BackgroundServerCommands* t_background = nullptr;

}  // namespace

PageServerTurn::PageServerTurn() {
  TurnState& state = State();
  std::lock_guard lock(state.mutex);
  ++state.pageTurns;
}

PageServerTurn::~PageServerTurn() {
  TurnState& state = State();
  std::lock_guard lock(state.mutex);
  if (--state.pageTurns == 0) state.changed.notify_all();
}

BackgroundServerCommands::BackgroundServerCommands(std::function<bool()> ended)
    : ended_(std::move(ended)), previous_(t_background) {
  t_background = this;
}

BackgroundServerCommands::~BackgroundServerCommands() { t_background = previous_; }

void YieldToPageTurns() {
  const BackgroundServerCommands* background = t_background;
  if (background == nullptr) return;
  TurnState& state = State();
  std::unique_lock lock(state.mutex);
  const auto until = std::chrono::steady_clock::now() + kTurnWait;
  const auto goOn = [&] {
    return state.pageTurns == 0 || ProgramStopRequested() || (background->ended_ && background->ended_());
  };
  while (!goOn() && std::chrono::steady_clock::now() < until) {
    state.changed.wait_until(lock, std::min(until, std::chrono::steady_clock::now() + kStopPoll));
  }
}

}  // namespace plimod
