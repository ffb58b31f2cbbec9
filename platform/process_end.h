#pragma once
// Ending an outside program this program started as the leader of a process
// group of its own (a mail program, the recorder program): SIGTERM to the
// group, a bounded wait for the leader, then SIGKILL to the group, so
// neither it nor what it started is left running.

#include <sys/types.h>

#include <chrono>

namespace plimod {

inline constexpr std::chrono::milliseconds kProcessEndGrace{1000};

// Ends the group led by `leader`, our child, and reaps the leader. Returns
// its wait status, or -1 when it could not be reaped (not our child, or it
// outlived SIGKILL's bounded wait as well).
int EndProcessGroup(pid_t leader, std::chrono::milliseconds grace = kProcessEndGrace);

}  // namespace plimod
