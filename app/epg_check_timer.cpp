#include "app/epg_check_timer.h"

#include <algorithm>

#include "platform/main_window.h"
#include "settings/settings.h"

namespace plimod {

std::optional<std::uint32_t> EpgCheckPeriodMs(int hours) {
  if (hours < 1) return std::nullopt;
  return static_cast<std::uint32_t>(std::min(hours, kMaxEpgCheckHours)) * 3'600'000u;
}

std::optional<std::uint32_t> ConfiguredEpgCheckPeriodMs() {
  return EpgCheckPeriodMs(Settings().GetIntDefault(L"SYSTEM", L"EPGDATACHECKTIME", 1));
}

bool SetEpgCheckTimer() {
  std::optional<std::uint32_t> period = ConfiguredEpgCheckPeriodMs();
  return period && SetMainWindowTimer(kEpgCheckTimer, *period);
}

}  // namespace plimod
