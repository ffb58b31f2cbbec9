#pragma once
// The recorder link's share of the settings and the tray menu: the one-time
// move of the old batch-file keys, the tray items of the recorder link, and
// the test that keeps the machine awake while a recording is due.

#include <cstdint>

#include "platform/system_time.h"
#include "platform/tray_menu.h"
#include "recorder/lists/reserve_lists.h"
#include "settings/ini_file.h"

namespace plimod {

// Tray commands that open the list dialogs of the recording folders and of
// the batch files.
inline constexpr std::uint32_t kRecFolderListCommand = 40005;
inline constexpr std::uint32_t kBatchListCommand = 40006;

// How long before a reservation's start the machine must stay awake.
inline constexpr std::int64_t kRecordingDueSeconds = 360;

// Moves [EPGDATACAP] BATCH_01..99 into the list section once (empty values
// are dropped, they would shift the numbers); saves the settings file.
void MigrateBatchList(IniFile& settings);
// Puts the batch-file item first, with the folder item after it in the
// reservation-server mode.
void AddEdcbTrayMenuItems(TrayMenu& menu, bool srvMode);
void AddEdcbTrayMenuItems(TrayMenu& menu);

// True when a reservation (disabled ones too) starts between now and six
// minutes from now; one already under way does not count.
bool ReservationDueSoon(const ReserveLists& lists, const SystemTime& now);
// False when the recorder link is off; true while EpgDataCap_Bon records;
// else ReservationDueSoon over freshly loaded lists.
bool IsRecordingBusy(IniFile& settings);

}  // namespace plimod
