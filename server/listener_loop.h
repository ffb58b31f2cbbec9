#pragma once
// The listening thread's loop: one epoll wait over the listening socket,
// a wake-up descriptor and every open connection. Each connection keeps its
// bytes and a deadline of its own, so a slow or silent client never holds
// up another:
//   - the head must arrive within head_timeout_ms of accept (what arrived by
//     then is answered as it stands);
//   - the whole request, a POST body included, within io_timeout_ms of
//     accept (a body still short then ends the connection unanswered);
//   - a page waits up to 900 ms for a busy worker, then gets "cgi busy";
//   - a reply that makes no progress for io_timeout_ms ends the connection.
// At max_connections, a new client pushes out the oldest one still reading
// its head; when none is, accepting waits until a connection ends.

#include <atomic>

#include "server/http_request_handler.h"

namespace plimod {

// Sets `listening` once the loop is ready, then runs until `stop` is set and
// `wake_fd` (an eventfd) is written. The same descriptor is written when the
// worker comes free. Every connection still open at the end is closed.
// False when the loop could not be set up.
bool RunListenerLoop(int listen_fd, int wake_fd, const std::atomic<bool>& stop, std::atomic<bool>& listening,
                     const ListenerSetup& setup);

}  // namespace plimod
