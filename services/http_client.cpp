#include "services/http_client.h"

#include <curl/curl.h>

#include <atomic>
#include <iterator>
#include <memory>
#include <mutex>

#include "platform/program_stop.h"

namespace plimod {

namespace {

constexpr std::int64_t kConnectTimeoutMs = 10'000;
constexpr std::int64_t kTotalTimeoutMs = 30'000;
constexpr long kMaxRedirects = 10;

std::atomic<std::int64_t> connectTimeoutMs{kConnectTimeoutMs};
std::atomic<std::int64_t> totalTimeoutMs{kTotalTimeoutMs};

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct BodySink {
  std::string* body;
  std::size_t maxBytes;
  bool full = false;
};

// Keeps what fits; reporting fewer bytes than offered stops the transfer
// (curl then answers CURLE_WRITE_ERROR, which the caller reads as "full").
std::size_t StoreBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* sink = static_cast<BodySink*>(user);
  const std::size_t offered = size * count;
  const std::size_t room = sink->maxBytes - sink->body->size();
  if (offered <= room) {
    sink->body->append(data, offered);
    return offered;
  }
  sink->body->append(data, room);
  sink->full = true;
  return room;
}

// Ends the transfer once the program is stopping; curl calls it at least
// about once a second, also while a slow service says nothing.
int AbortOnStop(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) { return ProgramStopRequested() ? 1 : 0; }

// The service's answers change during the day: no proxy may serve an old one.
constexpr const char* kNoCacheHeaders[] = {"Cache-Control: no-cache", "Pragma: no-cache"};

std::unique_ptr<curl_slist, ListDeleter> HeaderList(const std::vector<std::string>& headers) {
  std::vector<std::string> all(std::begin(kNoCacheHeaders), std::end(kNoCacheHeaders));
  all.insert(all.end(), headers.begin(), headers.end());
  curl_slist* list = nullptr;
  for (const std::string& header : all) {
    curl_slist* grown = curl_slist_append(list, header.c_str());
    if (!grown) break;
    list = grown;
  }
  return std::unique_ptr<curl_slist, ListDeleter>(list);
}

void SetOptions(CURL* curl, const HttpRequest& request, BodySink& sink, curl_slist* headers) {
  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kHttpUserAgent);
  if (!request.referrer.empty()) curl_easy_setopt(curl, CURLOPT_REFERER, request.referrer.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs.load()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(totalTimeoutMs.load()));
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, StoreBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, AbortOnStop);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  if (request.postBody) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.postBody->data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.postBody->size()));
  } else {
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  }
}

}  // namespace

HttpReply SendHttpRequest(const HttpRequest& request) {
  InitCurlOnce();
  HttpReply reply;
  if (ProgramStopRequested()) {
    reply.error = "stopping";
    return reply;
  }
  std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) {
    reply.error = "curl_easy_init failed";
    return reply;
  }
  BodySink sink{&reply.body, request.maxBytes};
  const auto headers = HeaderList(request.headers);
  SetOptions(curl.get(), request, sink, headers.get());
  const CURLcode result = curl_easy_perform(curl.get());
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &reply.status);
  const bool transferred = result == CURLE_OK || (result == CURLE_WRITE_ERROR && sink.full);
  if (!transferred) reply.error = curl_easy_strerror(result);
  reply.ok = transferred && reply.status >= 200 && reply.status < 300;
  if (transferred && !reply.ok) reply.error = "HTTP status " + std::to_string(reply.status);
  return reply;
}

void SetHttpTimeoutsForTesting(std::int64_t connectMs, std::int64_t totalMs) {
  connectTimeoutMs = connectMs > 0 ? connectMs : kConnectTimeoutMs;
  totalTimeoutMs = totalMs > 0 ? totalMs : kTotalTimeoutMs;
}

}  // namespace plimod
