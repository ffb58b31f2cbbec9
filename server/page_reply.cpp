#include "server/page_reply.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/text_codec.h"
#include "server/request_context.h"
#include "util/log.h"

namespace plimod {

namespace {

constexpr std::string_view kContentType = "Content-Type:";
constexpr std::string_view kLocation = "Location:";
// The widest wide reply a single call may format; a formatter that keeps
// failing beyond it has met an argument it cannot convert.
constexpr std::size_t kMaxWideChars = std::size_t{1} << 24;

// The formatted text, in `small` when it fits (pages send thousands of
// short fragments), else in `large`; empty when the format fails.
std::string_view FormatNarrow(const char* format, va_list args, char (&small)[1024], std::string& large) {
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (needed < 0) return {small, 0};
  if (static_cast<std::size_t>(needed) < sizeof small) return {small, static_cast<std::size_t>(needed)};
  large.assign(static_cast<std::size_t>(needed) + 1, '\0');
  std::vsnprintf(large.data(), large.size(), format, args);
  large.resize(static_cast<std::size_t>(needed));
  return large;
}

// vswprintf reports neither the needed size nor a cut apart from a failure,
// so the buffer grows until the text fits.
std::wstring FormatWide(const wchar_t* format, va_list args) {
  std::wstring text(1024, L'\0');
  while (text.size() <= kMaxWideChars) {
    va_list copy;
    va_copy(copy, args);
    int written = std::vswprintf(text.data(), text.size(), format, copy);
    va_end(copy);
    if (written >= 0) {
      text.resize(static_cast<std::size_t>(written));
      return text;
    }
    text.resize(text.size() * 4);
  }
  return {};
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

long SendBytes(ReplyWriter& out, const char* data, std::size_t size) { return out.Send(data, size); }

long SendBytes(ReplyWriter& out, std::string_view bytes) { return out.Send(bytes); }

long SendRawFormat(ReplyWriter& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  char small[1024];
  std::string large;
  const std::string_view text = FormatNarrow(format, args, small, large);
  va_end(args);
  return out.Send(text);
}

// The "Location:" line up to its first CR or LF, followed by the line ends
// the text closes with; whatever a value smuggled in between is dropped.
static std::string SafeLocationText(std::string_view text) {
  size_t line_end = text.find_first_of("\r\n");
  if (line_end == std::string_view::npos) return std::string(text);
  size_t tail = text.find_last_not_of("\r\n");
  tail = tail == std::string_view::npos || tail < line_end ? line_end : tail + 1;
  std::string safe(text.substr(0, line_end));
  safe.append(text.substr(tail));
  return safe;
}

long SendPageString(ReplyWriter& out, std::string_view text) {
  const bool first = !out.Started();
  if (StartsWith(text, kLocation)) {
    std::string reply = first ? "HTTP/1.0 302 Moved Temporarily\n" : "";
    return out.Send(reply + SafeLocationText(text));
  }
  if (first && StartsWith(text, kContentType)) {
    std::string reply = "HTTP/1.0 200 OK\n";
    reply.append(text);
    return out.Send(reply);
  }
  return out.Send(text);
}

long SendPageText(ReplyWriter& out, const char* format, ...) {
  // Fixed text skips the formatter.
  if (std::strchr(format, '%') == nullptr) return SendPageString(out, format);
  va_list args;
  va_start(args, format);
  char small[1024];
  std::string large;
  const std::string_view text = FormatNarrow(format, args, small, large);
  va_end(args);
  return SendPageString(out, text);
}

long SendPageTextW(ReplyWriter& out, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatWide(format, args);
  va_end(args);
  return SendPageString(out, WideToUtf8String(text));
}

long SendErrorText(ReplyWriter& out, std::string_view message) {
  SendPageString(out, "Content-Type: text/plain\n\n");
  std::string body = "error(";
  body.append(message);
  body += ")\n";
  return SendPageString(out, body);
}

void LogRequest(std::string_view message) {
  std::string peer = RequestEnv("REMOTE_ADDR").substr(0, 15);
  char line[512];
  std::snprintf(line, sizeof line, "%s %.*s\n", peer.c_str(), static_cast<int>(message.size()),
                message.data());
  LogWrite("%s", line);
}

}  // namespace plimod
