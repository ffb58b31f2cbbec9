#pragma once
// A page's save of the settings document, answered when it fails: the
// person learns that the change is not kept, and which file is at fault.

#include "server/reply_writer.h"
#include "settings/ini_file.h"

namespace plimod {

// Saves the document (SaveSettings); on failure writes the whole plain-text
// reply, naming the file, and gives false.
[[nodiscard]] bool SaveSettingsOrAnswer(ReplyWriter& out, IniFile& settings);

// The reply alone, for pages that found the failure themselves.
void WriteSettingsSaveFailure(ReplyWriter& out, const IniFile& settings);

}  // namespace plimod
