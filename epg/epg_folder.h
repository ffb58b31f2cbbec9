#pragma once
// Keeps the EPG store in step with the EPG data folder, where the recorder
// writes its "*_epg.dat" files. Settings come from Settings() (SYSTEM:
// EPGDATAFOLDER, NORMALIZELIST, USEHALFCHAR).

#include <cstdint>
#include <string>

#include "epg/epg_store.h"
#include "platform/system_time.h"

namespace plimod {

// Events that ended more than 48 hours before now.
inline constexpr std::int64_t kEpgKeepTicks = 1'728'000'000'000;

// Removes, from every service of ServiceMap, the events that ended before
// now minus 48 hours (ending exactly then keeps an event).
void PruneOldEvents();

// Expires old events, feeds every new or changed "*_epg.dat" file of the
// folder to the decoder, imports the result and publishes it through
// EpgEventIndex and ServiceMap. False when the folder holds no such file
// (EpgEventIndex then stays as it was).
bool LoadEpgFolder(EpgStore& store);

// LoadEpgFolder while holding EpgBusyFlag; gives up (false) when the flag
// stays held for 49 polls of 100 ms.
bool ReloadEpgIfIdle(EpgStore& store);

// The EPG data folder with a trailing "/": SYSTEM/EPGDATAFOLDER, or the
// documents folder's "EpgTimerBon/EpgData/" when that is missing or empty.
std::wstring EpgDataFolder();

// The latest modification time of any file loaded so far, as 100-ns ticks
// since 1601 in UTC (0 before the first), and the same as local time.
std::int64_t NewestEpgWriteTime();
SystemTime NewestEpgWriteTimeLocal();

// Forgets which files were loaded and when (for tests that start afresh).
void ResetEpgFolderState();

}  // namespace plimod
