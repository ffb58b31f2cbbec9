#pragma once
// EpgBusyFlag: held by whoever loads or reads the EPG store (the reloads,
// the folder watch, the request worker's pages).

#include <functional>

#include "platform/sync.h"

namespace plimod {

extern BusyFlag EpgBusyFlag;

// Polls of 100 ms a reload waits for the flag before giving up.
inline constexpr int kEpgReloadPolls = 49;

// Where a load shows that it holds the flag (the tray icon's busy state);
// set by the program's start-up, nothing by default.
using EpgBusyIndicator = std::function<void(bool busy)>;
void SetEpgBusyIndicator(EpgBusyIndicator indicator);
void ShowEpgBusy(bool busy);

}  // namespace plimod
