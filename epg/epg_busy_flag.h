#pragma once
// EpgBusyFlag: held by whoever loads or reads the EPG store (the reloads,
// the folder watch, the request worker's pages).

#include <functional>

#include "platform/sync.h"

namespace plimod {

extern BusyFlag EpgBusyFlag;

// Polls of 100 ms a reload waits for the flag before giving up.
inline constexpr int kEpgReloadPolls = 49;

// Takes the flag back for a job that let it go in its middle (to ask a
// peer) and must not be dropped because a page slipped in meanwhile: it
// polls until it has the flag (true) or, asked before each poll, `stopping`
// says so (false). It waits as long as pages keep the flag, so the main
// loop never calls it.
[[nodiscard]] bool RetakeEpgBusyFlag(const std::function<bool()>& stopping);

// Where a load shows that it holds the flag (the tray icon's busy state);
// set by the program's start-up, nothing by default.
using EpgBusyIndicator = std::function<void(bool busy)>;
void SetEpgBusyIndicator(EpgBusyIndicator indicator);
void ShowEpgBusy(bool busy);

}  // namespace plimod
