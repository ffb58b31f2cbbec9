#pragma once
// The page of `syoboialert`: the calendar alert's comparison for every
// programme it looks at, with a form per row that sets the row's search
// word (an empty word removes it).

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Saves a posted word (a valid token required), then shows the page.
// Returns 1: the page never redirects.
int ServeSyoboiCheckPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
