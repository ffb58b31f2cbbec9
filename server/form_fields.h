#pragma once
// Reading form values of the current request and writing them back as
// hidden fields.

#include <string>

#include "server/reply_writer.h"

namespace plimod {

// The current value of `name` with every single quote removed; empty when
// missing.
std::string GetFormParam(const std::string& name);

// "<input type=hidden name=NAME value='VALUE'>\n" for a non-empty current
// value (single quotes removed); nothing for an empty one.
void WriteHiddenField(ReplyWriter& out, const std::string& name);

}  // namespace plimod
