#pragma once
// The text-file recorder's program as a window: it must be closed before
// its files are rewritten and started again afterwards so that it reads
// them. A running EpgDataCap_Bon blocks the rewrite. Waits go through the
// sleeper hook (SleepMs), so tests pass them at once.

#include "server/reply_writer.h"
#include "settings/ini_file.h"

namespace plimod {

// True when the first "EpgDataCap_Bon" window has a child titled "UDP",
// which every running instance has.
bool IsEpgDataCapBusy();

// True in reservation-server mode, when EpgTimer_Bon is not running, or
// when it has closed. False after writing the plain-text refusal to `out`
// when EpgDataCap_Bon runs or EpgTimer_Bon does not close within about six
// seconds.
bool CloseEpgTimerBon(ReplyWriter& out);

// Starts EPGTIMEREXE (default "EpgTimer_Bon.exe") and gives its window
// about 5.5 seconds to show; true once started, whether or not the window
// showed. True at once in reservation-server mode. When the program cannot
// be started: false, and with `out` the failure text (after a plain-text
// header when `writeHeader`). A copy this program started earlier is ended
// first (SIGTERM to its session, a bounded wait, SIGKILL). Where windows
// cannot be seen at all, nothing waits for one, and closing ends the copy
// we started instead of asking its window.
bool RestartEpgTimerBon(const IniFile& settings, ReplyWriter* out, bool writeHeader);

// Ends the copies started by RestartEpgTimerBon (at exit).
void EndStartedEpgTimerBon();

}  // namespace plimod
