#pragma once
// A reservation line from the values of a posted or prefilled reservation
// form.

#include <optional>

#include "pages/reserve_form.h"
#include "recorder/reserve_line.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Ids from the programme; texts, start, duration and options from the form.
// The folder, post action, margins and service options only in the
// reservation-server mode. Nothing when the start is no real date and time
// (month 13, day 0, hour 25 ...): such a form must not reach the recorder.
std::optional<ReserveLine> ReserveLineFromForm(RequestParameters& params, const IniSection& section,
                                               const ReserveTarget& target, bool srvMode);

}  // namespace plimod
