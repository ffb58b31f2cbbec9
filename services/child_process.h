#pragma once
// Runs one outside program with its standard input fed from a pipe and its
// standard output and error drained from another, and waits for it with a
// bound. A `ChildProcess` is one slot: at most one child at a time; a slot
// shared between threads needs the caller's lock (the mail sender has one).
//
// The child gets only its two pipes: everything else this program holds is
// closed in it, and it starts in a process group of its own, so a child that
// overruns its bound is killed together with what it started.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace plimod {

struct ChildProcess {
  std::wstring program;
  std::wstring arguments;  // split at blanks into the child's argv, no quoting
  std::wstring folder;     // working folder; empty: this program's
  pid_t pid = -1;
  UniqueFd output;  // read end: the child's standard output and error
  UniqueFd input;   // write end: the child's standard input
  int exitCode = 0;
};

// How often a waiting parent drains output and looks at the child.
inline constexpr std::chrono::milliseconds kChildPollInterval{200};

// Keeps the three texts and starts the child; on failure the slot is closed.
[[nodiscard]] bool StartChildProcessWith(ChildProcess& child, const std::wstring& program,
                                         const std::wstring& arguments, const std::wstring& folder);
// Starts the slot's program: its pid, or -1 when a pipe or the start failed
// (nothing is left open then).
pid_t StartChildProcess(ChildProcess& child);

// Reads and discards what the child has written so far; when nothing is
// waiting, looks at the child instead (PollChildProcess).
void DrainChildOutput(ChildProcess& child);
// True while the child runs. When it has ended, stores its exit code (128 +
// the signal number when a signal ended it) and closes the slot. False when
// there is no child.
bool PollChildProcess(ChildProcess& child);

// Writes `bytes` to the child's standard input while draining its output,
// so a child that writes before it reads cannot stall either side, then
// closes that input. A child that stops reading (or has ended) takes what
// it took: false then, and false when `deadline` passed or the program was
// asked to stop first.
bool WriteChildInput(ChildProcess& child, std::string_view bytes,
                     std::chrono::steady_clock::time_point deadline);

// Drains and polls until the child ends; a child still running at
// `deadline`, or when the program is asked to stop, is ended with its
// process group (SIGTERM, a bounded wait, SIGKILL) and reaped (the log says
// so). Closes the slot and returns the stored exit code.
int WaitChildProcess(ChildProcess& child, std::chrono::steady_clock::time_point deadline);

int GetChildExitCode(const ChildProcess& child);
// Closes the pipes and forgets the texts. A child still running is ended
// with its process group and reaped, so nothing is left behind.
void CloseChildProcess(ChildProcess& child);

}  // namespace plimod
