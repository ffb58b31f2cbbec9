#pragma once
// The program's HTTP/1.0 server: one listening thread that reads and checks
// each request, answers static files and the mobile pages itself, and hands
// every other page to the request worker, and the mobile pages that call the
// recorder to a worker of their own. One request per connection.

#include <cstdint>

namespace plimod {

// Starts the listening thread and the worker with the current settings
// (http_config.h). On failure logs it, shows "HTTPサーバの起動に失敗しました"
// and returns false; the program runs on without the server.
bool StartHttpServer();
// Stops the threads, each within a bounded wait.
void StopHttpServer();
bool HttpServerRunning();
// The port the running server listens on (0 when stopped).
std::uint16_t BoundHttpPort();

}  // namespace plimod
