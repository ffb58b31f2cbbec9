#pragma once
// Ports for test servers, which listen on 127.0.0.1 only.

namespace plimod::test {

// A port on 127.0.0.1 that was free a moment ago.
int FreeLoopbackPort();

}  // namespace plimod::test
