#pragma once
// A count of the connections the server has accepted, so that the main loop
// can tell whether anyone used the pages since it last looked (a browser at
// work keeps the machine from its idle suspend).

#include <cstdint>

namespace plimod {

void NoteConnectionAccepted();
std::uint64_t ConnectionsAccepted();

}  // namespace plimod
