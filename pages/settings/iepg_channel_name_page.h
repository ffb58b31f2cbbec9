#pragma once
// The page of the station names written into iEPG files (`iepgch`), kept in
// section IEPG_CH_NAME under each channel's key text.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// 0 after a save (the dispatcher redirects to the view), 1 after showing the
// form. The form lists the shown channels only, and a save changes only
// those, so hidden channels keep their names.
int ServeIepgChannelNamePage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
