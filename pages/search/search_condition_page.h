#pragma once
// The search condition page (command `search`, "検索条件設定"): the list of
// the saved conditions (SEARCH_nn), the editor of one with a preview of its
// hits, and the saving, enabling, deleting and colour choice behind them. A
// programme's detail page opens it with `sh_idx=0`, `sid` and `eid` to start
// a condition for that programme in the first free slot.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Writes the whole reply. 0 when something was saved. Reads the EPG store:
// the caller holds EpgBusyFlag.
int ServeSearchConditionPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
