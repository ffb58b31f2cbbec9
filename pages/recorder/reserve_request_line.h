#pragma once
// A reservation line from the values of a posted or prefilled reservation
// form, for a new reservation and for a change of one.

#include <optional>
#include <string>

#include "pages/recorder/reserve_form.h"
#include "recorder/lines/reserve_line.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// What "def" as batch file or recording folder stands for: the bound
// section's EXT2 / RECDIR (a new reservation), or the value the reservation
// server already holds (a change; the line keeps "def").
enum class DefaultPaths { kFromSection, kKeepRecorders };

// Texts, start, duration and options from the form; the ids stay 0. The
// folder, post action, margins and service options only in the
// reservation-server mode. Nothing when the start is no real date and time
// (month 13, day 0, hour 25 ...): such a form must not reach the recorder.
std::optional<ReserveLine> ReserveLineFromForm(RequestParameters& params, const IniSection& section,
                                               DefaultPaths defaults, bool srvMode);
// The same for a new reservation of the programme, with its ids.
std::optional<ReserveLine> ReserveLineFromForm(RequestParameters& params, const IniSection& section,
                                               const ReserveTarget& target, bool srvMode);

// The form's start where the hour may also be written as the guide writes
// late-night programmes: 24 to 47 are hours of the next day. Nothing when it
// is no real date and time even so.
std::optional<SystemTime> LateNightFormStart(const RequestParameters& params);

// A posted UTF-8 text as a field of the line: no control characters (they
// would shift the fields or end the line), code page 932, cut to the field
// without splitting a character.
std::string ReserveLineText(const std::string& utf8);

// The batch file of a list number 1 to 99 (EDCB_BATCHLIST), as a field;
// empty for "none", an empty entry and anything else that is no list number.
std::string BatchListPath(const std::string& choice, const IniSection& section);

}  // namespace plimod
