#include "server/request_context.h"

namespace plimod {

namespace {
thread_local RequestContext* t_current = nullptr;
}  // namespace

RequestContext* CurrentRequestContext() { return t_current; }

ScopedRequestContext::ScopedRequestContext(RequestContext& context) : previous_(t_current) {
  t_current = &context;
}

ScopedRequestContext::~ScopedRequestContext() { t_current = previous_; }

bool RequestFromOwnPage() {
  if (t_current == nullptr) return false;
  const std::string prefix = "http://" + t_current->host + "/";
  return t_current->referer.compare(0, prefix.size(), prefix) == 0;
}

RequestParameters& CurrentParameters() {
  if (t_current != nullptr) return t_current->params;
  thread_local RequestParameters spare;
  return spare;
}

std::string RequestEnv(std::string_view name) {
  const RequestContext* context = t_current;
  if (context == nullptr) return {};
  if (name == "REMOTE_ADDR") return context->peer;
  if (name == "HTTP_USER_AGENT") return context->user_agent;
  if (name == "HTTP_COOKIE") return context->cookie;
  if (name == "HTTP_HOST") return context->host;
  if (name == "HTTP_REFERER") return context->referer;
  return {};
}

void ParseRequestText(std::string_view text) { CurrentParameters().Reset(text); }

void ParseRequestText() { CurrentParameters().Reset(); }

}  // namespace plimod
