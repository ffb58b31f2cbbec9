#pragma once
// Default titles of reservations.

#include <string>

#include "epg/epg_event.h"
#include "settings/ini_file.h"

namespace plimod {

// The event's title, a blank and its short text (its extended text when the
// short text is empty), without control characters, cut to 40 characters.
std::wstring MakeReservationTitle(const EpgEvent& event);

// The section's TITLECOMMAND template expanded for the event with the
// section's running number NUMBERING (default 1), without control
// characters, cut to 80 characters. `repeat` gives the number used last
// time. With `storeCounter`, a number the template advanced is written back
// and the settings file saved.
std::wstring MakeTitleByCommand(IniSection& section, const EpgEvent& event, bool storeCounter,
                                bool repeat);

}  // namespace plimod
