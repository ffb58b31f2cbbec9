#pragma once
// The program's stop as every wait on a peer sees it. The exit command sets
// it once (SIGTERM and SIGINT from their signal handler, because the thread
// that would carry out the command may be the one waiting); from then on a
// wait for the reservation server's event or socket ends at once, so no
// peer can hold the shutdown up.

namespace plimod {

// Safe in a signal handler.
void RequestProgramStop();
bool ProgramStopRequested();
// Readable from the stop on and never emptied: poll it beside a peer's
// descriptor. -1 when it could not be made (then only the flag tells).
int ProgramStopFd();
// Back to running, for a test that stopped the program in its process.
void ClearProgramStop();

// From now on SIGTERM and SIGINT request the stop and make the returned
// descriptor readable, for the main loop to carry out the exit command;
// -1 when that cannot be set up. TakeStopSignals empties it again.
int CatchStopSignals();
void TakeStopSignals();

}  // namespace plimod
