#pragma once
// How the program itself decides which reservations of the text-file
// recorder collide: each reservation, in file order, takes a tuner of its
// band (terrestrial, or BS/CS and the rest) or a three-band tuner, counted
// against the reservations still running when it starts. A reservation that
// finds none is unrecordable, and so are those it collides with.

#include <cstdint>

#include "platform/system_time.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/lists/reserve_lists.h"
#include "settings/ini_file.h"

namespace plimod {

// [EPGDATACAP] TUNERCOUNT ("a,b,c"), or `detected` when it is missing or
// all three read 0.
TunerCounts ReadTunerCounts(const IniFile& settings, const TunerCounts& detected);

// Records one reservation in the lists' tuner slots, marking the
// unrecordable ones; true when a tuner was free for it. A start that is no
// real date takes no slot and counts as free.
bool PlaceInTunerSlot(ReserveLists& lists, const TunerCounts& counts, std::uint64_t programKey,
                      const SystemTime& start, std::int64_t durationSeconds);

}  // namespace plimod
