#pragma once
// Answers one request received by the listening thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"
#include "server/cgi_worker.h"
#include "server/http_config.h"
#include "server/local_networks.h"
#include "server/request_context.h"

namespace plimod {

// What the listening thread knows for its whole run.
struct ListenerSetup {
  HttpConfig config;
  std::vector<LocalNetwork> networks;
  std::shared_ptr<CgiWorker> worker;
};

// Checks, authenticates and answers the request in `received` (the head and
// whatever followed it). `context` is installed on this thread and holds
// the peer; `peer` is its address in network byte order. Returns 1 when the
// socket went to the worker (which closes it), 0 when the caller closes it.
int HandleHttpRequest(UniqueFd& socket, std::string& received, RequestContext& context, std::uint32_t peer,
                      const ListenerSetup& setup);

}  // namespace plimod
