#pragma once
// What the pages that show the reservation list say above it while the
// recorder could not be reached, or its Program.txt read: the list below is
// the one last loaded (or none yet), and a person must not take it for what
// the recorder holds now.

#include <string>

#include "server/reply_writer.h"
#include "settings/ini_file.h"

namespace plimod {

// The line's text (UTF-8, not escaped) while the last load failed: the
// server mode's, or the text-file mode's Program.txt failure with its path;
// empty once a load has gone through.
std::string ReserveLoadFailureText(const IniFile& settings);

// The line as the desktop pages write it; nothing while loads go through.
void WriteReserveLoadFailure(ReplyWriter& out, const IniFile& settings);

}  // namespace plimod
