#pragma once
// The jobs the main window runs on its own thread: the EPG reload (timer
// 100 and the reload message), the calendar's daily load (timer 200) and its
// delayed upload (timer 400). Each waits for EpgBusyFlag at most 49 times
// 100 ms, and gives up when it stays held. The calendar service is asked
// without the flag; only applying its answer takes it. A reload lets the
// flag go while the jobs after its load ask their peers; when a page holds
// it at their end, the jobs wait for it on timer 110, never on the loop.

#include <cstdint>

#include "epg/epg_store.h"

namespace plimod {

inline constexpr std::uint32_t kAfterLoadTimer = 110;

// Returns whether the data were loaded (false: the flag stayed held).
bool ReloadEpg(EpgStore& store);
// Timer 110: the jobs after a load, once the flag is free.
void RunAfterLoadTimer();
void RunSyoboiLoadTimer();
void RunSyoboiUploadTimer();

}  // namespace plimod
