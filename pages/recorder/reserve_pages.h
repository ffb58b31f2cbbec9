#pragma once
// The recorder link's pages: reservation patterns and the reservation add
// and edit pages.

namespace plimod {

void RegisterReservePages();

}  // namespace plimod
