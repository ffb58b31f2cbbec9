#pragma once
// The two globals through which the whole program reads the EPG data.
//
// Writers (the folder load) hold EpgDataLock() exclusively. Code that holds
// EpgBusyFlag reads without the lock, since loads also hold that flag; code
// that reads without the flag (the mobile pages) holds the lock shared.

#include <cstdint>
#include <map>
#include <shared_mutex>
#include <string>

#include "epg/epg_event.h"

namespace plimod {

// The store's per-service event map once a load has found files; before
// that an empty map. Never null.
extern EpgEventMap* EpgEventIndex;

// Service key -> service name of every channel the program shows. Grows only.
extern std::map<std::uint64_t, std::wstring> ServiceMap;

std::shared_mutex& EpgDataLock();

// Points EpgEventIndex back at an empty map when it points at `events`
// (called by a store that goes away). The caller holds EpgDataLock().
void DetachEpgEventIndex(const EpgEventMap& events);

}  // namespace plimod
