#pragma once
// The recorder link's pages: reservation patterns and the reservation page.

namespace plimod {

void RegisterReservePages();

}  // namespace plimod
