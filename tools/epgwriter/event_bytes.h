#pragma once
// The event-loop entry of an EIT section for one event.

#include <string>

#include "tools/epgwriter/epg_description.h"
#include "tools/epgwriter/section_bytes.h"

namespace epgwriter {

enum class EventParts { kBasic, kExtended, kAll };

// Appends the entry to `out`; false with `error` set when a text does not
// fit its descriptor (or the descriptors their 12-bit loop).
bool AppendEventEntry(const EventDescription& event, EventParts parts, Bytes& out,
                      std::string& error);

}  // namespace epgwriter
