#pragma once
// HTTP requests to outside web services over libcurl. Proxies come from the
// usual environment variables; nothing is cached; every request is bounded
// by a connect and a total time-out, so a stalled service cannot hold the
// caller for long, and ends within about a second of the program's stop
// request (a request made after it fails at once).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plimod {

inline constexpr char kHttpUserAgent[] = "plimod.exe";

struct HttpRequest {
  std::string url;
  std::string referrer;                 // empty: no Referer header
  std::vector<std::string> headers;     // "Name: value" lines
  std::optional<std::string> postBody;  // set: a POST with this body; else a GET
  std::size_t maxBytes = 0;             // reply body bytes kept; the rest is not read
};

struct HttpReply {
  // True for a 2xx status with no transport error. A reply longer than
  // maxBytes still counts: its first maxBytes bytes are kept.
  bool ok = false;
  long status = 0;  // 0 when no status line arrived
  std::string body;
  std::string error;  // what went wrong, for the log
};

[[nodiscard]] HttpReply SendHttpRequest(const HttpRequest& request);

// Time-outs of every request; the defaults are 10 s to connect and 30 s in
// all. Zero or negative values restore the defaults.
void SetHttpTimeoutsForTesting(std::int64_t connectMs, std::int64_t totalMs);

}  // namespace plimod
