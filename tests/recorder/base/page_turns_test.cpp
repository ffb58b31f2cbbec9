// A background thread's wait for a page's turn at the reservation server,
// and what ends it besides the turn.

#include "recorder/base/page_turns.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/program_stop.h"

namespace plimod {
namespace {

// Polls `ready` for a busy machine's while (shorter than the turn's bound).
template <typename Ready>
bool Eventually(Ready ready) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

TEST(PageTurns, ABackgroundWaitEndsWithTheTurnTheProgramsStopOrItsOwnEnd) {
  std::atomic<bool> ended{false};
  struct Case {
    const char* name;
    std::function<void()> letGo;
  };
  std::unique_ptr<PageServerTurn> turn;
  const Case cases[] = {
      {"the turn's end", [&] { turn.reset(); }},
      {"the program's stop", [] { RequestProgramStop(); }},
      {"the thread's own end", [&] { ended = true; }},
  };
  for (const Case& c : cases) {
    turn = std::make_unique<PageServerTurn>();
    YieldToPageTurns();  // not a background thread: at once
    std::atomic<bool> yielded{false};
    std::thread background([&] {
      const BackgroundServerCommands marked([&] { return ended.load(); });
      YieldToPageTurns();
      yielded = true;
    });
    c.letGo();
    EXPECT_TRUE(Eventually([&] { return yielded.load(); })) << c.name << " did not end the wait";
    background.join();
    turn.reset();
    ClearProgramStop();
    ended = false;
  }
}

}  // namespace
}  // namespace plimod
