#pragma once
// The optional first command-line argument: seconds to wait before start
// (so the program can start with the session before its data are there).

namespace plimod {

// The argument read like atoi when it is above 0, else 0.
int StartDelaySeconds(int argc, const char* const* argv);

}  // namespace plimod
