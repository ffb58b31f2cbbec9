// A background thread's wait for a page's turn at the reservation server,
// and what ends it besides the turn.

#include "recorder/base/page_turns.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/program_stop.h"
#include "tests/support/eventually.h"

namespace plimod {
namespace {

// The turn's own end is what the kept list's tests see; these end the wait
// while the turn goes on.
TEST(PageTurns, ABackgroundWaitEndsOnTheProgramsStopOrItsOwnEnd) {
  const PageServerTurn turn;
  for (const bool programStop : {true, false}) {
    std::atomic<bool> ended{false};
    std::atomic<bool> yielded{false};
    std::thread background([&] {
      const BackgroundServerCommands marked([&] { return ended.load(); });
      YieldToPageTurns();
      yielded = true;
    });
    programStop ? RequestProgramStop() : ended.store(true);
    EXPECT_TRUE(test::Eventually([&] { return yielded.load(); })) << "stop " << programStop;
    background.join();
    ClearProgramStop();
  }
}

}  // namespace
}  // namespace plimod
