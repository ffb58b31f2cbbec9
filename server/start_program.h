#pragma once
// Starting an outside program that runs on its own.

#include <string_view>
#include <sys/types.h>

namespace plimod {

// Starts the program at `path` with no arguments in a session of its own,
// detached from this one. Returns its process id, or 0 when it could not be
// started. The caller may reap it with waitpid.
pid_t StartProgramMinimized(std::wstring_view path);

}  // namespace plimod
