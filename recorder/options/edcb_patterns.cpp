#include "recorder/options/edcb_patterns.h"

#include <cwchar>
#include <string>

#include "recorder/text_file/epg_timer_bon_window.h"
#include "recorder/options/rec_options.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/lists/reserve_list_keep.h"
#include "settings/settings.h"

namespace plimod {

void MigrateBatchList(IniFile& settings) {
  if (settings.HasSection(kBatchListSection)) return;
  for (int n = 1; n <= 99; ++n) {
    wchar_t key[16];
    std::swprintf(key, 16, L"BATCH_%02d", n);
    const auto value = settings.GetString(kDefaultRecOptionSection, key);
    if (!value) continue;
    if (!value->empty()) settings.InsertIndexed(kBatchListSection, -1, *value);
    settings.DeleteKey(kDefaultRecOptionSection, key);
  }
  (void)SaveSettings(settings);
}

void AddEdcbTrayMenuItems(TrayMenu& menu, bool srvMode) {
  if (srvMode) menu.insert(menu.begin(), {kRecFolderListCommand, L"EDCB録画フォルダリスト..."});
  menu.insert(menu.begin(), {kBatchListCommand, L"EDCBbatファイルリスト..."});
}

void AddEdcbTrayMenuItems(TrayMenu& menu) { AddEdcbTrayMenuItems(menu, EpgTimerSrvMode()); }

bool ReservationDueSoon(const ReserveLists& lists, const SystemTime& now) {
  const auto nowTicks = SystemTimeToTicks(now);
  if (!nowTicks) return false;
  const std::int64_t last = *nowTicks + kRecordingDueSeconds * kTicksPerSecond;
  for (const ReserveEntry& entry : lists.reserveList) {
    const auto start = SystemTimeToTicks(entry.start);
    if (start && *start >= *nowTicks && *start <= last) return true;
  }
  return false;
}

bool IsRecordingBusy(IniFile& settings) {
  if (settings.GetIntDefault(kDefaultRecOptionSection, L"ENABLE", 0) == 0) return false;
  if (IsEpgDataCapBusy()) return true;
  // The main thread asks: the list as last loaded, a few seconds old at most.
  const ReserveSnapshot lists = ReserveListAsLoaded(settings);
  return ReservationDueSoon(*lists, LocalNow());
}

}  // namespace plimod
