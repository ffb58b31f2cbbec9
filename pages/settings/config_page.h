#pragma once
// The environment settings page (`config`): every general setting in one
// form, saved whole when the form comes back with the request token.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// 0 after a save (the dispatcher re-arms the calendar timer and redirects),
// 1 after showing the form.
int ServeConfigPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

// The two halves, for the page above.
void WriteConfigForm(ReplyWriter& out, RequestParameters& params, IniFile& settings);
void StoreConfigForm(RequestParameters& params, IniFile& settings);

}  // namespace plimod
