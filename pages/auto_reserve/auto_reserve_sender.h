#pragma once
// The sender of the automatic reservation: a worker that sends planned
// passes to the recorder one after the other, so that neither EpgBusyFlag
// nor the main loop waits on the reservation server. Without the worker
// (tests, tools) the sends run at once on the caller's thread.

#include "pages/auto_reserve/auto_reserve.h"
#include "settings/ini_file.h"

namespace plimod {

// `settings` must outlive the worker.
void SendAutoReserveInTurn(IniFile& settings, AutoReserveSends sends);

bool StartAutoReserveSender();
// Drops the passes not yet begun (their programmes are found again by the
// next pass) and waits a few seconds for the one being sent: a call waiting
// on the server ends on the program's stop. A worker that overruns ends on
// its own.
void StopAutoReserveSender();

}  // namespace plimod
