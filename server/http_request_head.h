#pragma once
// Reading the head of one HTTP/1.0 request: the request line, the header
// lines and where the body begins.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace plimod {

inline constexpr std::size_t kRequestBufferSize = 16384;
// The longest printable run a request may begin with before its first line end.
inline constexpr std::size_t kMaxRequestLineRun = 496;
inline constexpr std::size_t kMaxHeaderPartSize = 1023;

struct HttpRequestHead {
  std::string request_line;
  std::string method;
  std::string path;
  std::string version;
  // Exact-case names; a later line with the same name wins.
  std::map<std::string, std::string> headers;
  // Offset of the body in the received bytes; nullopt when no empty line was seen.
  std::optional<std::size_t> body_start;

  const std::string* Header(const std::string& name) const;
  // atoi of "Content-Length" (exactly that spelling); 0 when absent.
  int ContentLength() const;
};

// Bytes from the start that are 0x20..0x7F.
std::size_t LeadingPrintableRun(std::string_view received);

// True once the received bytes hold the empty line that ends a head, or can
// no longer become a valid head (the printable run is too long). A caller
// that appends bytes passes how many it had already checked, so a head that
// arrives a byte at a time costs no more than one that arrives whole.
bool IsRequestHeadComplete(std::string_view received, std::size_t already_checked = 0);

// Parses a head. nullopt when the text holds no CR at all ("header error").
std::optional<HttpRequestHead> ParseRequestHead(std::string_view received);

// Splits the request line at blanks into method, path and version (the
// version keeps the rest). False when there is no path.
bool SplitRequestLine(HttpRequestHead& head);

// True for the paths the pages answer: "/" with or without a query (any
// path whose second character is the end or "?"), and "/m/...".
bool IsPageRequestPath(std::string_view path);
bool IsMobilePath(std::string_view path);

}  // namespace plimod
