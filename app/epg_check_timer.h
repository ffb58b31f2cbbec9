#pragma once
// Timer 100: the periodic EPG reload, every SYSTEM/EPGDATACHECKTIME hours.

#include <cstdint>
#include <optional>

namespace plimod {

inline constexpr std::uint32_t kEpgCheckTimer = 100;
inline constexpr int kMaxEpgCheckHours = 99;

// The period for `hours`: none below 1 (the timer is left as it is), at
// most 99 hours.
std::optional<std::uint32_t> EpgCheckPeriodMs(int hours);
// The period the settings ask for (EPGDATACHECKTIME, default 1 hour).
std::optional<std::uint32_t> ConfiguredEpgCheckPeriodMs();
// Sets timer 100 on the main window to the configured period; false when
// the settings ask for none (or there is no main window).
bool SetEpgCheckTimer();

}  // namespace plimod
