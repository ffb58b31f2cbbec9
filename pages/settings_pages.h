#pragma once
// Puts the settings pages into the dispatcher's page registry.

namespace plimod {

// Registers the channel pages (ignorech, iepgch, chsort).
void RegisterSettingsPages();

}  // namespace plimod
