#pragma once
// The jobs the main window runs on its own thread: the EPG reload (timer
// 100 and the reload message), the calendar's daily load (timer 200) and its
// delayed upload (timer 400). Each waits for EpgBusyFlag at most 49 times
// 100 ms, and gives up when it stays held. The calendar service is asked
// without the flag; only applying its answer takes it.

#include "epg/epg_store.h"

namespace plimod {

// Returns whether the data were loaded (false: the flag stayed held).
bool ReloadEpg(EpgStore& store);
void RunSyoboiLoadTimer();
void RunSyoboiUploadTimer();

}  // namespace plimod
