#pragma once
// The small jobs the dispatcher answers itself.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// `epg`: reloads the EPG folder, runs the automatic reservation and answers
// with the newest EPG file write time.
void RunEpgReloadCommand(ReplyWriter& out);

// `nrc`: tunes the remote-control server ([SYSTEM] REMOCON_ADDRESS, default
// "127.0.0.1:1334") to the service of `sid`; answers "成功" or "失敗 ".
void RunRemoteTuneCommand(ReplyWriter& out, const RequestParameters& params, const IniFile& settings);

// `syoboup`: stops the pending automatic upload and uploads now. An upload
// with nothing to say still gets a short plain-text answer.
void RunSyoboiUploadCommand(ReplyWriter& out);

}  // namespace plimod
