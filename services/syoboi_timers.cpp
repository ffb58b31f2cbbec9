#include <cstdint>
#include <string_view>

#include "platform/main_window.h"
#include "services/syoboi_schedule.h"
#include "settings/ini_values.h"
#include "settings/settings.h"
#include "util/log.h"

namespace plimod {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr int kLeadMinutes = 5;  // a load closer than this runs tomorrow
constexpr int kShortestDelay = 5;
constexpr int kLongestDelay = 1450;
constexpr std::uint32_t kUploadDelayMs = 180'000;

}  // namespace

std::optional<int> SyoboiLoadDelayMinutes(const std::wstring& loadTime, const SystemTime& now) {
  if (loadTime.empty()) return std::nullopt;
  const std::size_t colon = loadTime.find(L':');
  // Wide enough that no typed number overflows before the clamps.
  std::int64_t target = std::int64_t{IniTextToInt(loadTime)} * 60;
  if (colon != std::wstring::npos) target += IniTextToInt(std::wstring_view(loadTime).substr(colon + 1));
  const std::int64_t current = now.wHour * 60 + now.wMinute;
  std::int64_t delay = target - current;
  if (current >= target - kLeadMinutes) delay += kMinutesPerDay;
  if (delay <= 0) delay = kShortestDelay;
  if (delay > kLongestDelay) delay = kLongestDelay;
  return static_cast<int>(delay);
}

void SetSyoboiLoadTimer() {
  const IniFile& settings = Settings();
  const std::wstring loadTime = settings.GetString(L"SYSTEM", L"SYOBOCAL_LOADTIME").value_or(std::wstring());
  const std::optional<int> delay = settings.GetIntDefault(L"SYSTEM", L"SYOBOCAL_ENABLE", 0) != 0
                                       ? SyoboiLoadDelayMinutes(loadTime, LocalNow())
                                       : std::nullopt;
  if (!delay) {
    KillMainWindowTimer(kSyoboiLoadTimer);
    return;
  }
  SetMainWindowTimer(kSyoboiLoadTimer, static_cast<std::uint32_t>(*delay) * 60'000u);
  LogWriteNoPost("syobocal timer set %d min\n", *delay);
}

int ArmSyoboiUploadTimer() {
  if (Settings().GetIntDefault(L"SYOBOIUPLOAD", L"ENABLE", 0) == 0) return 0;
  KillMainWindowTimer(kSyoboiUploadTimer);
  return SetMainWindowTimer(kSyoboiUploadTimer, kUploadDelayMs) ? 1 : 0;
}

}  // namespace plimod
