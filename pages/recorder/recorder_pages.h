#pragma once
// Puts the recorder pages into the dispatcher's page registry.

namespace plimod {

// Registers the recorder status page (edcb), the reservation list
// (epgtimer) and the reservation edit page (edc_edit).
void RegisterRecorderPages();

}  // namespace plimod
