#include "server/http_request_handler.h"

#include "server/connection.h"
#include "server/http_auth.h"
#include "server/http_request_head.h"
#include "server/page_hooks.h"
#include "server/page_reply.h"
#include "server/static_files.h"

namespace plimod {

namespace {

// How long a page request waits for a busy worker (nine polls of 100 ms
// once; a wake-up on release now, so a free worker is taken at once).
constexpr std::uint32_t kWorkerWaitMs = 900;

void TakeRequestValues(const HttpRequestHead& head, RequestContext& context) {
  auto value = [&head](const char* name) {
    const std::string* found = head.Header(name);
    return found ? *found : std::string();
  };
  context.user_agent = value("User-Agent");
  context.cookie = value("Cookie");
  context.host = value("Host");
  context.referer = value("Referer");
}

void SendUnauthorized(ReplyWriter& out) {
  SendRawFormat(out,
                "HTTP/1.0 401 Authorization Required\n"
                "WWW-Authenticate: Basic realm='plimo'\n"
                "Content-Type: text/plain\n\n");
  SendPageText(out, "401 Authorization Required\n");
}

void SendWorkerBusy(ReplyWriter& out) {
  SendRawFormat(out, "HTTP/1.0 503 Service Unavailable\nContent-Type: text/plain\n\n");
  SendPageText(out, "503 Service Unavailable\n\ncgi busy\n");
}

enum class BodyResult { kOk, kOverflow, kNoHeadEnd, kPeerGone };

// Completes a POST body up to its Content-Length and gives it cut at its
// first CR.
BodyResult ReceivePostBody(int fd, std::string& received, const HttpRequestHead& head, std::string& body) {
  if (!head.body_start) return BodyResult::kNoHeadEnd;
  const std::size_t start = *head.body_start;
  const long long wanted = head.ContentLength();
  if (wanted > 0 && start + static_cast<std::size_t>(wanted) >= kRequestBufferSize) return BodyResult::kOverflow;
  while (wanted > 0 && received.size() - start < static_cast<std::size_t>(wanted)) {
    if (!ReceiveMore(fd, received, kRequestBufferSize)) return BodyResult::kPeerGone;
  }
  if (received.size() >= kRequestBufferSize) return BodyResult::kOverflow;
  body = received.substr(start);
  body = body.substr(0, body.find('\r'));
  return BodyResult::kOk;
}

void ParseQuery(const std::optional<std::string>& query) {
  if (query) {
    ParseRequestText(*query);
  } else {
    ParseRequestText();
  }
}

bool ReserveWorker(CgiWorker* worker) {
  return worker != nullptr && worker->ReserveWithin(kWorkerWaitMs);
}

int HandlePageRequest(UniqueFd& socket, std::string& received, RequestContext& context,
                      const HttpRequestHead& head, const ListenerSetup& setup) {
  ReplyWriter out(socket.get());
  std::optional<std::string> query;
  if (head.method == "GET") {
    std::size_t mark = head.path.find('?');
    if (mark != std::string::npos) query = head.path.substr(mark + 1);
  } else if (head.method == "POST") {
    std::string body;
    switch (ReceivePostBody(socket.get(), received, head, body)) {
      case BodyResult::kOk:
        query = body;
        break;
      case BodyResult::kOverflow:
        SendErrorText(out, "buffer overflow");
        return 0;
      case BodyResult::kNoHeadEnd:
        SendErrorText(out, "header error");
        return 0;
      case BodyResult::kPeerGone:
        return 0;
    }
  } else if (head.method == "HEAD") {
    SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
    return 0;
  } else {
    SendErrorText(out, "method error");
    return 0;
  }

  if (IsMobilePath(head.path)) {
    // The mobile pages run here on the listening thread, beside the worker's
    // page; the handler start-up installs holds the EPG store's shared lock
    // for the length of the page.
    ParseQuery(query);
    RunMobilePageHandler(out);
    return 0;
  }
  if (!ReserveWorker(setup.worker.get())) {
    SendWorkerBusy(out);
    return 0;
  }
  ParseQuery(query);
  setup.worker->Dispatch(CgiJob{std::move(socket), std::move(context)});
  return 1;
}

}  // namespace

int HandleHttpRequest(UniqueFd& socket, std::string& received, RequestContext& context, std::uint32_t peer,
                      const ListenerSetup& setup) {
  ReplyWriter out(socket.get());
  std::optional<HttpRequestHead> head = ParseRequestHead(received);
  if (!head) {
    SendErrorText(out, "header error");
    LogRequest("header error");
    return 0;
  }
  LogRequest(head->request_line);
  TakeRequestValues(*head, context);
  if (!SplitRequestLine(*head)) {
    SendErrorText(out, "header error");
    return 0;
  }
  const HttpConfig& config = setup.config;
  if (!IsRequestAuthorized(config.auth_mode, config.credentials, peer, setup.networks,
                           head->Header("Authorization"))) {
    SendUnauthorized(out);
    return 0;
  }
  if (IsPageRequestPath(head->path)) return HandlePageRequest(socket, received, context, *head, setup);
  ServeStaticFile(out, config.document_root, head->path, head->method == "HEAD");
  return 0;
}

}  // namespace plimod
