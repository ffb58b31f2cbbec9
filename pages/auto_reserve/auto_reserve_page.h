#pragma once
// The automatic reservation page (command `autore`, "自動予約設定"): the
// list of the conditions and of the programmes reserved automatically, the
// editor of one condition with a preview of its hits and of the titles
// their reservations would get, a new condition made from a programme
// (`sh_idx=0` with `sid` and `eid`), a run on demand (`update`), closing
// the gaps between numbers (`renum`) and removing a history token (`del`).
// `update`, `renum`, `del` and `sh_flip` come from links without a token:
// the Referer check guards them.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Writes the whole reply; 0 when a form was saved. Reads the EPG store: the
// caller holds EpgBusyFlag.
int ServeAutoReservePage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

// Registers the page and the programme table's look-up of the condition
// that reserved an event.
void RegisterAutoReservePage();

}  // namespace plimod
