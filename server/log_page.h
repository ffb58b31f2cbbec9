#pragma once

#include "server/reply_writer.h"

namespace plimod {

// The `log` page: the log file byte for byte as plain text, or
// "logfile not found\n" when it cannot be read.
int ServeLogPage(ReplyWriter& out);

}  // namespace plimod
