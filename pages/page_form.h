#pragma once
// What the settings pages share: the save test, the head of a page with the
// colour-sample style, and the head of a form that saves.

#include <string>

#include "server/reply_writer.h"
#include "server/request_parameters.h"

namespace plimod {

// A save is a request with a non-empty `spc` whose `token` is the request
// token, whatever the method.
bool IsSavePost(const RequestParameters& params);

// From "Content-Type" to "<BODY>" with the title; `squareStyle` adds the
// rule of the bordered colour samples.
void WriteSettingsPageHead(ReplyWriter& out, const char* title, bool squareStyle);

// "<form method=post action='/'>", the hidden `spc` and `token` fields.
void WriteSaveFormHead(ReplyWriter& out);

// "Location: /?<target><carry-over query>" and the empty line.
void RedirectWithCarryOver(ReplyWriter& out, const std::string& target, const RequestParameters& params);

}  // namespace plimod
