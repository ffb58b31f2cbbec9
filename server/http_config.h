#pragma once
// The HTTP server's settings. They are set on the main thread while the
// server is stopped and take effect at its next start.

#include <cstddef>
#include <cstdint>
#include <string>

namespace plimod {

inline constexpr std::uint16_t kDefaultHttpPort = 18990;

enum HttpAuthMode : int {
  kHttpAuthNone = 0,
  kHttpAuthAll = 1,      // Basic authentication for every client
  kHttpAuthOutside = 2,  // Basic authentication outside the local networks
};

struct HttpConfig {
  std::uint16_t port = kDefaultHttpPort;
  std::uint32_t bind_address = 0;  // host byte order; 0 = every local address
  std::wstring document_root;      // empty: static files are off
  int auth_mode = kHttpAuthNone;
  std::string credentials;  // "id:password" in code page 932
  int head_timeout_ms = 2000;   // the request head must arrive within it of accept
  int io_timeout_ms = 10000;    // the whole request, body included, within it of accept;
                                // also the longest a reply may go without progress
  int drain_timeout_ms = 500;   // reading what a client still sends before close
  int max_connections = 512;    // connections the listening thread holds at once
  // Worker replies still being sent, in bytes: past it, a page for the
  // worker first drops the replies whose clients took nothing for 2 s, and
  // while the others still move it waits (at most 900 ms, then "cgi busy").
  // Replies in memory thus stay below it plus the last page handed over,
  // plus the page being written; phone replies (a few KB each) come on top.
  std::size_t waiting_reply_limit = 64u << 20;
};

// Empty root for null or an over-long path (static files are then off).
void SetDocumentRoot(const wchar_t* root);
// Stored when within 1..65535; other values keep the current port.
void SetHttpPort(int port);
// Stores the mode and "id:password" in code page 932 (at most 255 bytes).
void SetHttpAuth(int mode, const std::wstring& id, const std::wstring& password);

// The settings the next start uses.
HttpConfig GetHttpConfig();

// Tests: listen on 127.0.0.1 with a port the system picks (see
// BoundHttpPort), and shorter time-outs.
void UseLoopbackEphemeralPortForTesting();
void SetHttpTimeoutsForTesting(int head_timeout_ms, int io_timeout_ms, int drain_timeout_ms);
void SetHttpConnectionLimitForTesting(int max_connections);
void SetHttpWaitingReplyLimitForTesting(std::size_t bytes);
// Tests: back to the defaults.
void ResetHttpConfigForTesting();

}  // namespace plimod
