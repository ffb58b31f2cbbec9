#include "server/http_config.h"

#include <arpa/inet.h>

#include <mutex>

#include "platform/text_codec.h"
#include "util/module_paths.h"

namespace plimod {

namespace {

constexpr std::size_t kMaxCredentialChars = 255;
constexpr std::size_t kMaxCredentialBytes = 255;

std::mutex g_mutex;
HttpConfig g_config;

}  // namespace

void SetDocumentRoot(const wchar_t* root) {
  std::wstring value = root == nullptr ? std::wstring() : std::wstring(root);
  if (value.size() > kMaxPathChars) value.clear();
  std::lock_guard lock(g_mutex);
  g_config.document_root = value;
}

void SetHttpPort(int port) {
  if (port < 1 || port > 65535) return;
  std::lock_guard lock(g_mutex);
  g_config.port = static_cast<std::uint16_t>(port);
}

void SetHttpAuth(int mode, const std::wstring& id, const std::wstring& password) {
  std::wstring joined = id + L":" + password;
  if (joined.size() > kMaxCredentialChars) joined.resize(kMaxCredentialChars);
  std::string bytes = WideToCp932(joined);
  bytes.resize(Cp932CutPoint(bytes, kMaxCredentialBytes));
  std::lock_guard lock(g_mutex);
  g_config.auth_mode = mode;
  g_config.credentials = bytes;
}

HttpConfig GetHttpConfig() {
  std::lock_guard lock(g_mutex);
  return g_config;
}

void UseLoopbackEphemeralPortForTesting() {
  std::lock_guard lock(g_mutex);
  g_config.port = 0;
  g_config.bind_address = INADDR_LOOPBACK;
}

void SetHttpTimeoutsForTesting(int head_timeout_ms, int io_timeout_ms, int drain_timeout_ms) {
  std::lock_guard lock(g_mutex);
  g_config.head_timeout_ms = head_timeout_ms;
  g_config.io_timeout_ms = io_timeout_ms;
  g_config.drain_timeout_ms = drain_timeout_ms;
}

void SetHttpConnectionLimitForTesting(int max_connections) {
  std::lock_guard lock(g_mutex);
  g_config.max_connections = max_connections;
}

void SetHttpWaitingReplyLimitForTesting(std::size_t bytes) {
  std::lock_guard lock(g_mutex);
  g_config.waiting_reply_limit = bytes;
}

void ResetHttpConfigForTesting() {
  std::lock_guard lock(g_mutex);
  g_config = HttpConfig();
}

}  // namespace plimod
