#pragma once
// What one request carries besides its socket: the peer, a few header values
// and its parsed parameters. The thread that handles a request installs its
// context; pages on that thread read it, so requests on other threads never
// see or change each other's values.

#include <string>
#include <string_view>

#include "server/request_parameters.h"

namespace plimod {

struct RequestContext {
  std::string peer;        // dotted IPv4 address ("REMOTE_ADDR")
  std::string user_agent;  // "HTTP_USER_AGENT"
  std::string cookie;      // "HTTP_COOKIE"
  std::string host;        // Host header, for the foreign-page check
  std::string referer;     // Referer header, for the foreign-page check
  RequestParameters params;
};

// The context installed on this thread, or nullptr.
RequestContext* CurrentRequestContext();

// Installs a context on this thread for the scope's lifetime and restores
// the previous one afterwards.
class ScopedRequestContext {
 public:
  explicit ScopedRequestContext(RequestContext& context);
  ~ScopedRequestContext();
  ScopedRequestContext(const ScopedRequestContext&) = delete;
  ScopedRequestContext& operator=(const ScopedRequestContext&) = delete;

 private:
  RequestContext* previous_;
};

// True when the current request's Referer is a page of this server (its
// own Host); a request from elsewhere must not act on the host.
bool RequestFromOwnPage();

// The current request's parameters. A thread without an installed context
// gets a thread-local spare set, so callers never meet a null.
RequestParameters& CurrentParameters();

// The request values under the names pages have always used: "REMOTE_ADDR",
// "HTTP_USER_AGENT", "HTTP_COOKIE", "HTTP_HOST", "HTTP_REFERER". Empty when
// the request had no such value or no context is installed.
std::string RequestEnv(std::string_view name);

// Resets the current parameters and parses a query or body into them.
void ParseRequestText(std::string_view text);
// A request without a query: the current parameters are emptied.
void ParseRequestText();

}  // namespace plimod
