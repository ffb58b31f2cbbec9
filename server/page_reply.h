#pragma once
// The reply operations pages write with. A page begins its reply with a
// "Content-Type: ..." or "Location: ..." line and gets the matching HTTP/1.0
// status line in front of it; a page that needs another status writes the
// status line itself with SendRawFormat. Nothing here cuts a text.

#include <cstddef>
#include <string_view>

#include "server/reply_writer.h"

namespace plimod {

// Sends the bytes as they are.
long SendBytes(ReplyWriter& out, const char* data, std::size_t size);
long SendBytes(ReplyWriter& out, std::string_view bytes);

// Formats and sends the text as it is.
long SendRawFormat(ReplyWriter& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Formats and sends the text; on the reply's first chunk a text beginning
// "Content-Type:" gets "HTTP/1.0 200 OK\n" first and one beginning
// "Location:" gets "HTTP/1.0 302 Moved Temporarily\n" first. A "Location:"
// text is cut at its first CR or LF, so no value can add a header line.
long SendPageText(ReplyWriter& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The same for a wide format (use "%ls" for wide texts); sent as UTF-8.
long SendPageTextW(ReplyWriter& out, const wchar_t* format, ...);

// The text after the status rule of SendPageText, already formatted.
long SendPageString(ReplyWriter& out, std::string_view text);

// A request error: "Content-Type: text/plain\n\n" then "error(<message>)\n".
long SendErrorText(ReplyWriter& out, std::string_view message);

// Logs "<peer address> <message>\n" for the current request.
void LogRequest(std::string_view message);

}  // namespace plimod
