#pragma once
// Reads, checks and answers one request on the listening thread. Nothing
// here waits: the caller feeds in the bytes as they arrive and is told what
// the request needs next; answers are gathered in memory for the caller to
// send as the client takes them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file.h"
#include "server/cgi_worker.h"
#include "server/reply_inbox.h"
#include "server/http_config.h"
#include "server/http_request_head.h"
#include "server/local_networks.h"
#include "server/request_context.h"

namespace plimod {

// What the listening thread knows for its whole run.
struct ListenerSetup {
  HttpConfig config;
  std::vector<LocalNetwork> networks;
  std::shared_ptr<CgiWorker> worker;
  // The mobile pages that call the recorder; without it they run here.
  std::shared_ptr<CgiWorker> mobile_worker;
  // Where both workers put their finished replies.
  std::shared_ptr<ReplyInbox> inbox;
};

// One request from its first byte to its answer.
struct HttpExchange {
  std::string received;     // head and body as they arrived, at most kRequestBufferSize bytes
  RequestContext context;   // peer, header values and parameters
  std::uint32_t peer = 0;   // the peer's address in network byte order
  HttpRequestHead head;
  std::optional<std::string> query;
  std::string reply;        // the answer, once there is one
  UniqueFd file;            // a static file whose bytes follow `reply`
};

enum class RequestStep {
  kAnswer,      // `reply` (and `file`) hold the whole answer
  kReadBody,    // a POST body is still arriving: call ContinuePostBody
  kNeedWorker,  // a page for the worker: reserve it, then HandToWorker
  kNeedMobileWorker,  // a mobile page that calls the recorder: HandToMobileWorker
};

// The head is in (its empty line arrived, the buffer filled, the peer
// closed, or its time ran out): checks, authenticates and answers what
// arrived, or says what the request still needs.
RequestStep HandleHttpRequest(HttpExchange& exchange, const ListenerSetup& setup);

// More of a POST body arrived; kReadBody while it is still short.
RequestStep ContinuePostBody(HttpExchange& exchange);

// The worker was reserved for this request: fills the parameters and hands
// the page over; its reply comes back for `connection` through the worker.
void HandToWorker(HttpExchange& exchange, std::uint64_t connection, CgiWorker& worker);

// Queues the mobile page on its worker (its parameters are parsed already);
// the ticket withdraws it while it has not started.
std::shared_ptr<JobTicket> HandToMobileWorker(const HttpExchange& exchange, std::uint64_t connection,
                                              CgiWorker& worker);
// Without a mobile worker the page runs here, as it always did: kAnswer.
RequestStep AnswerMobilePageHere(HttpExchange& exchange);

// No worker came free in time: the "cgi busy" answer.
void AnswerWorkerBusy(HttpExchange& exchange);

}  // namespace plimod
