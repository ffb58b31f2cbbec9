#pragma once
// Static files from the document root (public_html beside the program).

#include <optional>
#include <string>
#include <string_view>

#include "platform/file.h"
#include "server/reply_writer.h"

namespace plimod {

// The file a request path names, relative to the root, with "/" between
// components: the path is cut at "?" and at 255 bytes, split on "/" and
// "\", every empty, "." and ".." component is dropped (never resolved
// upwards), and "index.html" is added when the path ends in a separator.
// nullopt when the path holds a NUL byte.
std::optional<std::string> StaticRelativePath(std::string_view request_path);

// The content type by the extension after the last ".", any case.
const char* StaticContentType(std::string_view relative_path);

// Answers a static-file request: writes the type and length lines and
// returns the open file, whose bytes the caller sends after them to its
// end; or writes "HTTP/1.0 404 Not Found" when the root is empty or the path
// does not name a regular file. No file is returned for a 404 or for HEAD.
UniqueFd ServeStaticFile(ReplyWriter& out, const std::wstring& document_root, std::string_view request_path,
                         bool head_only);

}  // namespace plimod
