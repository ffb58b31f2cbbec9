#include "server/http_request_head.h"

#include <algorithm>
#include <cstdlib>

namespace plimod {

const std::string* HttpRequestHead::Header(const std::string& name) const {
  auto it = headers.find(name);
  return it == headers.end() ? nullptr : &it->second;
}

int HttpRequestHead::ContentLength() const {
  const std::string* value = Header("Content-Length");
  return value == nullptr ? 0 : std::atoi(value->c_str());
}

std::size_t LeadingPrintableRun(std::string_view received) {
  std::size_t run = 0;
  while (run < received.size()) {
    unsigned char c = static_cast<unsigned char>(received[run]);
    if (c < 0x20 || c >= 0x80) break;
    ++run;
  }
  return run;
}

bool IsRequestHeadComplete(std::string_view received, std::size_t already_checked) {
  if (LeadingPrintableRun(received.substr(0, kMaxRequestLineRun + 1)) > kMaxRequestLineRun) return true;
  // An empty line may straddle the old end by up to three bytes.
  std::string_view fresh = received.substr(already_checked > 3 ? std::min(already_checked - 3, received.size()) : 0);
  return fresh.find("\r\n\r\n") != std::string_view::npos || fresh.find("\n\n") != std::string_view::npos ||
         fresh.find("\r\r") != std::string_view::npos;
}

namespace {

// The end of the line that starts at `pos`: its first CR, or its first LF
// when the rest holds no CR; npos when it has neither.
std::size_t LineEnd(std::string_view text, std::size_t pos) {
  std::size_t cr = text.find('\r', pos);
  if (cr != std::string_view::npos) return cr;
  return text.find('\n', pos);
}

void KeepHeaderLine(HttpRequestHead& head, std::string_view line) {
  std::size_t colon = line.find(": ");
  if (colon == std::string_view::npos) return;
  std::string_view name = line.substr(0, colon);
  std::string_view value = line.substr(colon + 2);
  if (name.size() > kMaxHeaderPartSize || value.size() > kMaxHeaderPartSize) return;
  head.headers[std::string(name)] = std::string(value);
}

}  // namespace

std::optional<HttpRequestHead> ParseRequestHead(std::string_view received) {
  std::size_t first_cr = received.find('\r');
  if (first_cr == std::string_view::npos) return std::nullopt;
  HttpRequestHead head;
  head.request_line = std::string(received.substr(0, first_cr));
  std::size_t pos = first_cr + 1;
  if (pos < received.size() && received[pos] == '\n') ++pos;
  // The request line's own end may already be followed by the empty line.
  std::size_t end = first_cr;
  for (;;) {
    std::size_t after = end + 1;
    bool crlf = received[end] == '\r' && after < received.size() && received[after] == '\n';
    if (crlf) {
      if (received.substr(after + 1, 2) == "\r\n") {
        head.body_start = after + 3;
        break;
      }
    } else if (after < received.size() && received[after] == received[end]) {
      head.body_start = after + 1;
      break;
    }
    if (pos >= received.size()) break;
    end = LineEnd(received, pos);
    if (end == std::string_view::npos) break;
    KeepHeaderLine(head, received.substr(pos, end - pos));
    pos = end + 1;
    if (received[end] == '\r' && pos < received.size() && received[pos] == '\n') ++pos;
  }
  return head;
}

bool SplitRequestLine(HttpRequestHead& head) {
  std::string_view line = head.request_line;
  std::size_t first = line.find(' ');
  if (first == std::string_view::npos) return false;
  head.method = std::string(line.substr(0, first));
  std::string_view rest = line.substr(first + 1);
  std::size_t second = rest.find(' ');
  head.path = std::string(rest.substr(0, second));
  head.version = second == std::string_view::npos ? std::string() : std::string(rest.substr(second + 1));
  return !head.path.empty();
}

bool IsPageRequestPath(std::string_view path) {
  if (IsMobilePath(path)) return true;
  return path.size() == 1 || (path.size() >= 2 && path[1] == '?');
}

bool IsMobilePath(std::string_view path) { return path.substr(0, 3) == "/m/"; }

}  // namespace plimod
