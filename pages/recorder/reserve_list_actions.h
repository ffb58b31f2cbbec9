#pragma once
// What the reservation list does with the rows a person checked and
// confirmed: delete them, or (reservation server only) disable them.

#include <string>

#include "recorder/lists/reserve_lists.h"
#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

struct ReserveActionResult {
  // The reply has been written (the recorder is busy or cannot be started
  // again) and the page ends.
  bool answered = false;
  // Why the action did not wholly happen, as the person is told; empty when
  // every checked row is gone (or changed).
  std::string failure;
  // The lists with what the action did (ApplyOwnReserveChange of
  // recorder/lists/reserve_list_keep.h); null when it did nothing.
  ReserveSnapshot shown;
};

// Server mode: the checked reservations are deleted (recording results too,
// where the linked client handles them) when `delete` is set, else disabled
// when `invalid` is set; a disabled row is unchecked in `params`. A row the
// server refuses stays as it was, and the others go on.
ReserveActionResult ApplyServerReserveAction(RequestParameters& params, const IniFile& settings);

// Text-file mode: the checked lines leave Program.txt, whatever the action.
ReserveActionResult ApplyProgramTxtReserveAction(ReplyWriter& out, const RequestParameters& params,
                                                 const IniFile& settings);

}  // namespace plimod
