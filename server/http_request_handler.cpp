#include "server/http_request_handler.h"

#include "server/http_auth.h"
#include "server/page_hooks.h"
#include "server/page_reply.h"
#include "server/static_files.h"

namespace plimod {

namespace {

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

// Each answer has a writer of its own, which ends before the request goes on.
RequestStep AnswerError(HttpExchange& exchange, std::string_view message) {
  ReplyWriter out(&exchange.reply);
  SendErrorText(out, message);
  return RequestStep::kAnswer;
}

RequestStep AnswerUnauthorized(HttpExchange& exchange) {
  ReplyWriter out(&exchange.reply);
  SendRawFormat(out,
                "HTTP/1.0 401 Authorization Required\n"
                "WWW-Authenticate: Basic realm='plimo'\n"
                "Content-Type: text/plain\n\n");
  SendPageText(out, "401 Authorization Required\n");
  return RequestStep::kAnswer;
}

enum class BodyState { kComplete, kShort, kOverflow };

BodyState PostBodyState(const HttpExchange& exchange) {
  const std::size_t start = *exchange.head.body_start;
  const std::size_t size = exchange.received.size();
  const long long wanted = exchange.head.ContentLength();
  if (wanted > 0 && start + static_cast<std::size_t>(wanted) >= kRequestBufferSize) return BodyState::kOverflow;
  if (size >= kRequestBufferSize) return BodyState::kOverflow;
  if (wanted > 0 && size - start < static_cast<std::size_t>(wanted)) return BodyState::kShort;
  return BodyState::kComplete;
}

void ParseQuery(const std::optional<std::string>& query) {
  if (query) {
    ParseRequestText(*query);
  } else {
    ParseRequestText();
  }
}

RequestStep RunMobilePage(HttpExchange& exchange) {
  ReplyWriter out(&exchange.reply);
  RunMobilePageHandler(out);
  return RequestStep::kAnswer;
}

// The page request with its query settled: the mobile pages run here, the
// others go to the worker.
RequestStep RoutePage(HttpExchange& exchange) {
  if (!IsMobilePath(exchange.head.path)) return RequestStep::kNeedWorker;
  // The mobile pages run on the listening thread, beside the worker's page,
  // and take the EPG store's shared lock where they read it. Those that
  // call the recorder go to their own worker: a slow or absent recorder
  // must not hold up every other client.
  ParseQuery(exchange.query);
  if (MobilePageCallsRecorder()) return RequestStep::kNeedMobileWorker;
  return RunMobilePage(exchange);
}

// The POST body is complete or can no longer be: the request goes on, or
// ends with its answer.
RequestStep SettlePostBody(HttpExchange& exchange, BodyState state) {
  if (state == BodyState::kShort) return RequestStep::kReadBody;
  if (state == BodyState::kOverflow) return AnswerError(exchange, "buffer overflow");
  std::string body = exchange.received.substr(*exchange.head.body_start);
  exchange.query = body.substr(0, body.find('\r'));
  return RoutePage(exchange);
}

RequestStep HandlePageRequest(HttpExchange& exchange) {
  const HttpRequestHead& head = exchange.head;
  if (head.method == "GET") {
    std::size_t mark = head.path.find('?');
    if (mark != std::string::npos) exchange.query = head.path.substr(mark + 1);
    return RoutePage(exchange);
  }
  if (head.method == "POST") {
    if (!head.body_start) return AnswerError(exchange, "header error");
    return SettlePostBody(exchange, PostBodyState(exchange));
  }
  if (head.method != "HEAD") return AnswerError(exchange, "method error");
  ReplyWriter out(&exchange.reply);
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  return RequestStep::kAnswer;
}

}  // namespace

RequestStep HandleHttpRequest(HttpExchange& exchange, const ListenerSetup& setup) {
  ScopedRequestContext scope(exchange.context);
  const std::string& received = exchange.received;
  if (received.size() >= kRequestBufferSize) {
    LogRequest("buffer overflow");
    return AnswerError(exchange, "buffer overflow");
  }
  if (LeadingPrintableRun(received) > kMaxRequestLineRun) {
    LogRequest("header length error");
    return AnswerError(exchange, "buffer overflow");
  }
  std::optional<HttpRequestHead> head = ParseRequestHead(received);
  if (!head) {
    LogRequest("header error");
    return AnswerError(exchange, "header error");
  }
  exchange.head = std::move(*head);
  LogRequest(exchange.head.request_line);
  TakeRequestValues(exchange.head, exchange.context);
  if (!SplitRequestLine(exchange.head)) return AnswerError(exchange, "header error");
  const HttpConfig& config = setup.config;
  if (!IsRequestAuthorized(config.auth_mode, config.credentials, exchange.peer, setup.networks,
                           exchange.head.Header("Authorization"))) {
    return AnswerUnauthorized(exchange);
  }
  if (IsPageRequestPath(exchange.head.path)) return HandlePageRequest(exchange);
  ReplyWriter out(&exchange.reply);
  exchange.file = ServeStaticFile(out, config.document_root, exchange.head.path, exchange.head.method == "HEAD");
  return RequestStep::kAnswer;
}

RequestStep ContinuePostBody(HttpExchange& exchange) {
  ScopedRequestContext scope(exchange.context);
  return SettlePostBody(exchange, PostBodyState(exchange));
}

void HandToWorker(HttpExchange& exchange, std::uint64_t connection, CgiWorker& worker) {
  {
    ScopedRequestContext scope(exchange.context);
    ParseQuery(exchange.query);
  }
  worker.Dispatch(CgiJob{connection, std::move(exchange.context)});
}

std::shared_ptr<JobTicket> HandToMobileWorker(const HttpExchange& exchange, std::uint64_t connection,
                                              CgiWorker& worker) {
  // A copy: the request may still be answered "cgi busy" here.
  CgiJob job{connection, exchange.context};
  std::shared_ptr<JobTicket> ticket = job.ticket;
  worker.Dispatch(std::move(job));
  return ticket;
}

RequestStep AnswerMobilePageHere(HttpExchange& exchange) {
  ScopedRequestContext scope(exchange.context);
  return RunMobilePage(exchange);
}

void AnswerWorkerBusy(HttpExchange& exchange) {
  ScopedRequestContext scope(exchange.context);
  ReplyWriter out(&exchange.reply);
  SendRawFormat(out, "HTTP/1.0 503 Service Unavailable\nContent-Type: text/plain\n\n");
  SendPageText(out, "503 Service Unavailable\n\ncgi busy\n");
}

}  // namespace plimod
