#pragma once
// While a recording is due or under way the machine must not sleep: once a
// minute the main loop asks IsRecordingBusy and holds or lets go of the
// login manager's sleep inhibitor accordingly.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/main_loop.h"
#include "platform/sleep_inhibitor.h"

namespace plimod {

inline constexpr std::uint32_t kSleepGuardTimer = 500;
inline constexpr std::uint32_t kSleepGuardPeriodMs = 60'000;

class RecordingSleepGuard {
 public:
  // Takes the inhibitor while `busy`, lets it go otherwise. Returns the log
  // lines to write: a taking, and a missing bus or a refusal once per run.
  std::vector<std::string> Update(bool busy);
  bool Holding() const { return inhibitor_.Held(); }

 private:
  SleepInhibitor inhibitor_;
  bool failureLogged_ = false;
};

void StartSleepGuard(MainLoop& loop);
void StopSleepGuard(MainLoop& loop);
// The timer's work.
void RunSleepGuard();

}  // namespace plimod
