#pragma once

#include <string_view>

#include "server/reply_writer.h"

namespace plimod {

// Writes the text with "<BR>" in place of each line end: the text up to a
// CR, then "<BR>", then on two characters behind the CR (its LF).
void WriteTextWithBr(ReplyWriter& out, std::string_view text);

}  // namespace plimod
