#pragma once
// What the reservation edit page changes in the recorder: the posted form
// saved as the named reservation (through the reservation server, or by
// rewriting its one line of Program.txt), and disabling it on the server.

#include "pages/recorder/edcid.h"
#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

#include <optional>

#include "recorder/lines/reserve_line.h"

namespace plimod {

// The line of the reservation `id` in the recorder's reservation text,
// parsed. Nothing for a negative reserve id: that names a recording result,
// which has no line.
std::optional<ReserveLine> FindNamedReserveLine(const IniFile& settings, const EdcidParts& id);

// Server mode: the reservation gets record mode 5 and the other values of
// its line in the recorder's reservation text. False when the line is
// missing or the server refuses, and always in the text-file mode.
bool DisableNamedReservation(const IniFile& settings, const EdcidParts& id);

// The posted form as the reservation `id`; answers with the redirect to the
// reservation list or the failure text. "def" as batch file or folder keeps
// the server's value.
void SaveReservationOnServer(ReplyWriter& out, RequestParameters& params, IniFile& settings,
                             const EdcidParts& id);

// The posted form replaces the line of `id` in Program.txt; every other
// line stays as it is. The recorder, once closed for the rewrite, is
// started again whatever became of it. Answers with the redirect to the
// reservation list or the failure text.
void SaveReservationInProgramTxt(ReplyWriter& out, const RequestParameters& params, IniFile& settings,
                                 const EdcidParts& id);

}  // namespace plimod
