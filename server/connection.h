#pragma once
// Socket chores of one client connection.

#include <cstddef>
#include <string>

#include "platform/file.h"

namespace plimod {

// Receive and send time-outs, and replies gathered into full segments.
void PrepareConnection(int fd, int io_timeout_ms);

// Receives until the head is complete (IsRequestHeadComplete), `limit`
// bytes have arrived, the peer closes, or `timeout_ms` have passed; a head
// split across segments is thus read whole.
std::string ReceiveRequestHead(int fd, std::size_t limit, int timeout_ms);

// One receive appended to `buffer`, at most up to `limit` bytes in all;
// false when the peer closed, failed or stayed silent past the time-out.
bool ReceiveMore(int fd, std::string& buffer, std::size_t limit);

// Ends the connection: our side is shut for writing (which flushes the
// reply), what the client still sends is read for at most `drain_ms` so
// the close sends no reset that could cost the client its reply, then the
// socket is closed.
void CloseConnection(UniqueFd& fd, int drain_ms);

}  // namespace plimod
