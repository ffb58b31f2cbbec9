#pragma once
// While a recording is due or under way the machine must not sleep: once a
// minute the main loop has IsRecordingBusy asked and holds or lets go of the
// login manager's sleep inhibitor accordingly. The question goes to a thread
// of the guard's own, since it reloads the reservation list (the server may
// be slow or gone), and its answer comes back to the main loop as a message.
// Pages served within the last minute likewise hold off the idle suspend,
// so a machine someone is browsing from does not doze off under them.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/main_loop.h"
#include "platform/window_messages.h"
#include "platform/sleep_inhibitor.h"

namespace plimod {

inline constexpr std::uint32_t kSleepGuardTimer = 500;
inline constexpr std::uint32_t kSleepGuardPeriodMs = 60'000;
// The busy check's answer: wparam 1 busy, 0 not.
inline constexpr std::uint32_t kSleepGuardAnswerMessage = WM_APP + 3;

class RecordingSleepGuard {
 public:
  // Takes the inhibitor while `busy`, lets it go otherwise. Returns the log
  // lines to write: a taking, and a missing bus or a refusal once per run.
  std::vector<std::string> Update(bool busy);
  bool Holding() const { return inhibitor_.Held(); }
  // Holds the idle inhibitor while pages were `served` since the last call.
  // Quiet on failure: the recording check above reports the bus.
  void KeepAwakeForClients(bool served);
  bool HoldingForClients() const { return idle_.Held(); }

 private:
  SleepInhibitor inhibitor_;
  SleepInhibitor idle_{"idle"};
  bool failureLogged_ = false;
};

// Arms the timer and starts the checking thread.
void StartSleepGuard(MainLoop& loop);
void StopSleepGuard(MainLoop& loop);
// The timer's work: the clients' share at once, the busy check asked of the
// checking thread (a tick while an earlier question still waits adds none).
void RunSleepGuard();
// The main loop's handling of kSleepGuardAnswerMessage.
void ApplySleepGuardAnswer(bool busy);

}  // namespace plimod
