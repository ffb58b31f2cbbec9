#pragma once
// The program-wide stop request: set by SIGTERM or SIGINT (straight from
// the signal handler, so it is seen even while the main thread is busy
// with a peer) and by the exit command. Waits on slow peers (the calendar
// transfer, a mail program, the recorder program) check it or poll its
// descriptor, so the program can end in a bounded time whatever a peer does.

namespace plimod {

// Sets the request and wakes everything polling StopRequestFd. Safe from
// any thread.
void RequestProgramStop();
bool ProgramStopRequested();
// Readable from the stop request on, for as long as the program runs.
int StopRequestFd();

// Handles `signum` (SIGTERM, SIGINT) by setting the request and making
// `notifyFd` (a pipe's or eventfd's write end) readable once per signal, so
// the main loop can act on it. Replaces any other handling of the signal.
void HandleStopSignal(int signum, int notifyFd);

// Clears the request (tests only, while nothing waits on it).
void ResetProgramStopForTesting();

}  // namespace plimod
