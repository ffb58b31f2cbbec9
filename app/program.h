#pragma once
// The whole run of the program, from the single-instance check to the last
// log line.

namespace plimod {

// The name whose owner is the running instance.
inline constexpr char kInstanceName[] = "PLIMOMUTEX";

// Always 0, as the program has always ended, also when another instance
// runs or the start fails.
int RunProgram(int argc, const char* const* argv);

}  // namespace plimod
