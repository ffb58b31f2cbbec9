#pragma once
// Reservation titles built from a user's template: plain characters are
// copied, and "@" with a macro name (case-sensitive, tried in a fixed order
// by prefix) inserts a piece of the event, a running number, text cut out by
// a regular expression, or a field of the calendar programme of the event.
// Some macros change working copies of the event's texts, which later
// macros see.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "epg/epg_event.h"
#include "platform/system_time.h"

namespace plimod {

// The calendar programme's fields the template uses.
struct TemplateSyoboiProgram {
  std::wstring title;
  std::wstring subTitle;
  std::wstring progComment;
  int count = 0;
};

// The calendar schedule sits above the reservation code, so it registers its
// look-up here (by service and start; marks the programme seen). Until then
// no event has a calendar programme.
using TemplateSyoboiLookup =
    std::function<std::optional<TemplateSyoboiProgram>(std::uint64_t serviceKey, const SystemTime& start)>;
void SetTitleTemplateSyoboiLookup(TemplateSyoboiLookup lookup);

// The expanded title. `counter` goes up by one when the template holds a
// numbering macro ("@nb", "@2NB" ...), once per call, before expanding.
std::wstring expandTitleTemplate(const std::wstring& titleTemplate, int& counter, const EpgEvent& event);

}  // namespace plimod
