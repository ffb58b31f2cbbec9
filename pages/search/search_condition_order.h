#pragma once
// Reordering the saved search conditions ("検索条件並び替え"): one
// condition is moved before another slot and the ones between close up.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Moves the condition of slot `from` to just before the old slot `before`
// (0 puts it first, count + 1 last); free slots move like conditions.
// Only the values the page's links produce are taken (1 <= from <= count,
// 0 <= before <= count + 1); false, and nothing moved, for others.
bool MoveSearchCondition(IniFile& settings, int from, int before, int count);

// The reorder page for `st_sel`; with `st_dst` given it moves first (and
// saves). Links carry no token: the Referer check guards them.
void ServeSearchConditionOrder(ReplyWriter& out, const RequestParameters& params, IniFile& settings);

}  // namespace plimod
