#pragma once
// The navigation bar of the programme table: today, the week's days, the
// day and hour steps, the hour jumps, the column count and the channel
// pages.

#include <cstdint>
#include <ctime>

#include "server/reply_writer.h"
#include "server/request_parameters.h"

namespace plimod {

// `base` is the view's day (local midnight), `hour` its first hour (5..28)
// and `range` its hours. The channel count comes from the band mask; today
// from the program clock.
void WriteNavigationBar(ReplyWriter& out, const RequestParameters& params, std::uint32_t band,
                        std::time_t base, int hour, int range);

}  // namespace plimod
