#pragma once
// The page of the channels hidden everywhere (`ignorech`), kept in
// [VIEW] IGNORE_CHANNEL as channel key texts joined by blanks.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// 0 after a save (the dispatcher redirects to the settings page), 1 after
// showing the form.
int ServeIgnoreChannelPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
