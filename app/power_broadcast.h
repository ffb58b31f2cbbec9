#pragma once
// The answer to the system's power events: a log line per event, and for a
// suspend or standby query a refusal while a recording is running or due.
// Linux does not ask before suspending, so nothing calls this from the
// system yet; it stays a pure function.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plimod {

// Power event numbers (wparam of WM_POWERBROADCAST).
inline constexpr std::uintptr_t kPowerQuerySuspend = 0x0000;
inline constexpr std::uintptr_t kPowerQueryStandby = 0x0001;
inline constexpr std::uintptr_t kPowerQuerySuspendFailed = 0x0002;
inline constexpr std::uintptr_t kPowerQueryStandbyFailed = 0x0003;
inline constexpr std::uintptr_t kPowerSuspend = 0x0004;
inline constexpr std::uintptr_t kPowerStandby = 0x0005;
inline constexpr std::uintptr_t kPowerResumeSuspend = 0x0007;
inline constexpr std::uintptr_t kPowerResumeStandby = 0x0008;

struct PowerAnswer {
  std::vector<std::string> logLines;  // UTF-8, each ending in "\n"
  std::intptr_t result;               // kPowerQueryAllow or kPowerQueryDeny
};

// `isRecordingBusy` is asked only for the two queries.
PowerAnswer AnswerPowerEvent(std::uintptr_t event, const std::function<bool()>& isRecordingBusy);

}  // namespace plimod
