#pragma once
// The genre colour page (command `genre`, "ジャンル色設定"): the thirteen
// colours of [GENRECOLOR] that the programme table paints programmes with,
// each chosen by hand or through the colour picker.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Shows the page, or saves its post (or the picker's) and then shows the
// page, the picker or a redirect. 0 when something was saved.
int ServeGenreColorPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
