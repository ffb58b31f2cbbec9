#include "platform/process_end.h"

#include <signal.h>
#include <sys/wait.h>

#include <thread>

namespace plimod {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kReapPoll{10};
constexpr std::chrono::milliseconds kReapAfterKill{2000};

// True with the status once the leader was reaped within `bound`.
bool ReapWithin(pid_t leader, std::chrono::milliseconds bound, int& status) {
  const auto deadline = Clock::now() + bound;
  for (;;) {
    const pid_t done = waitpid(leader, &status, WNOHANG);
    if (done == leader) return true;
    if (done < 0) return false;  // not ours, or reaped elsewhere
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kReapPoll);
  }
}

}  // namespace

int EndProcessGroup(pid_t leader, std::chrono::milliseconds grace) {
  if (leader <= 0) return -1;
  kill(-leader, SIGTERM);
  kill(leader, SIGTERM);  // in case it left its group
  int status = 0;
  const bool ended = ReapWithin(leader, grace, status);
  // Whatever it started may still run even when the leader went.
  kill(-leader, SIGKILL);
  if (ended) return status;
  kill(leader, SIGKILL);
  return ReapWithin(leader, kReapAfterKill, status) ? status : -1;
}

}  // namespace plimod
