#pragma once
// The listening thread's loop: one epoll wait over the listening socket,
// a wake-up descriptor and every open connection. Each connection keeps its
// bytes and a deadline of its own, so a slow or silent client never holds
// up another:
//   - the head must arrive within head_timeout_ms of accept (what arrived by
//     then is answered as it stands);
//   - the whole request, a POST body included, within io_timeout_ms of
//     accept (a body still short then ends the connection unanswered);
//   - a connection that has sent nothing by its head deadline is closed
//     unanswered: browsers open spare connections ahead of the next click
//     and would show an answer to one as the next page;
//   - a page waits up to 900 ms for a busy worker, then gets "cgi busy";
//   - a phone page queued for the mobile worker that has not started
//     within io_timeout_ms of accept gets "cgi busy"; one whose client
//     resets or hangs up meanwhile is withdrawn (a client that only shut
//     its sending side still reads, and gets its page);
//   - a reply that makes no progress for io_timeout_ms ends the connection;
//   - when worker replies still being sent reach the configured limit, a
//     page for the worker first drops the replies whose clients have taken
//     nothing for 2 s, the longest stalled first, resetting their
//     connections (the pages carry no length, so a cut one must not look
//     whole): clients that stop reading cost themselves. A reply that is
//     being read is never dropped; while all of them move, the page waits
//     for room as for a busy worker, and then gets "cgi busy".
// Workers write their pages into memory and this loop sends them, so a
// client that stops reading costs only its connection and its reply.
// At max_connections (counting no connection that has its answer and is
// closing), a new client gets room by the oldest queued phone page, which
// is answered "cgi busy", else by the oldest client still reading its head,
// which is closed; when there is neither, accepting waits until a
// connection ends.

#include <atomic>

#include "server/http_request_handler.h"

namespace plimod {

// Sets `listening` once the loop is ready, then runs until `stop` is set and
// `wake_fd` (an eventfd) is written. The same descriptor is written when a
// worker puts a reply in the setup's inbox. Every connection still open at the end is closed.
// False when the loop could not be set up.
bool RunListenerLoop(int listen_fd, int wake_fd, const std::atomic<bool>& stop, std::atomic<bool>& listening,
                     const ListenerSetup& setup);

}  // namespace plimod
