#pragma once
// Socket chores of one client connection. The listening thread keeps its
// sockets non-blocking and moves them on as they become ready; the worker
// gets a blocking socket whose sends are bounded by a time-out.

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "platform/file.h"

namespace plimod {

// Replies gathered into full segments (flushed by the shutdown that ends
// every reply).
void PrepareClientSocket(int fd);

// Back to blocking, with receive and send time-outs, for the worker's page.
void PrepareWorkerSocket(int fd, int io_timeout_ms);

enum class IoStatus {
  kDone,        // everything asked for was read or written
  kWouldBlock,  // the socket has no more for now; wait for it
  kPeerClosed,  // the peer ended its side
  kFailed,      // the connection broke
};

// Appends what the socket holds to `buffer`, up to `limit` bytes in all.
// kDone once the buffer is full.
IoStatus ReceiveAvailable(int fd, std::string& buffer, std::size_t limit);

// Sends `bytes` from `sent` on; kDone once all are out.
IoStatus SendAvailable(int fd, const std::string& bytes, std::size_t& sent);

// Sends the file from `offset` on; kDone at its end.
IoStatus SendFileAvailable(int fd, int file, off_t& offset);

// Reads and drops what the client still sends, counting it in `drained`.
IoStatus DiscardAvailable(int fd, std::size_t& drained);

// Ends the connection from the worker: our side is shut for writing (which
// flushes the reply), what the client still sends is read for at most
// `drain_ms` so the close sends no reset that could cost the client its
// reply, then the socket is closed.
void CloseConnection(UniqueFd& fd, int drain_ms);

// What a closing connection reads at most before it closes anyway.
inline constexpr std::size_t kMaxDrainBytes = 65536;

}  // namespace plimod
