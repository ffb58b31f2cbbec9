#pragma once
// The reservation edit page's two conversions between a reservation and
// its form: the form values of a found reservation, and the text-file
// recorder's line that a posted form makes of the old one.

#include <string>

#include "platform/system_time.h"
#include "recorder/lines/reserve_line.h"
#include "recorder/lines/reserve_text.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Sets the form fields (edc_title ... edc_ext2, and in server mode the
// folder, post action, margins and service options) from the line. The
// texts are escaped for the form's attributes; the batch file and folder
// stay raw (the form escapes those itself).
void FillReserveEditForm(RequestParameters& params, const ReserveLine& line, bool srvMode);

// The changed Program.txt line: `start` (a real date and time, made from
// the form), the duration as posted, texts in code page 932, the old ids
// and reserve id, the posted options, and the old line's tail from the
// batch field (edc_ext2 "def") or from the field after it, byte for byte.
// `section` holds the batch file list.
std::string EditedProgramTxtLine(const ReserveTextLine& old, const RequestParameters& params,
                                 const SystemTime& start, const IniSection& section);

}  // namespace plimod
