#pragma once
// SIGHUP, the reload request, read from a descriptor instead of caught by a
// handler. The signal is blocked in every thread (the mask is set before
// the first one starts and threads inherit it), so it never interrupts a
// wait, a flood of them cannot starve anyone, and one that arrives while
// the program ends stays pending and is dropped with the process instead
// of ending it by the signal's default action.

namespace plimod {

// Call before any thread starts. Blocks SIGHUP and returns a descriptor
// that is readable while one is pending; -1 (and SIGHUP left as it was)
// when it cannot be made.
int CatchReloadSignal();
// Takes the pending SIGHUPs (any number count as one request).
void TakeReloadSignals(int fd);

}  // namespace plimod
