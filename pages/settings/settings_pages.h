#pragma once
// Puts the settings pages into the dispatcher's page registry.

namespace plimod {

// Registers the environment page (config), the channel pages (ignorech,
// iepgch, chsort), the search condition page (search) and the genre colour
// page (genre).
void RegisterSettingsPages();

}  // namespace plimod
