#pragma once
// Socket chores of one client connection. The listening thread keeps its
// sockets non-blocking and moves them on as they become ready; no other
// thread touches them.

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace plimod {

// Replies gathered into full segments (flushed by the shutdown that ends
// every reply).
void PrepareClientSocket(int fd);

// The close that follows sends a reset instead of the end of the stream.
void ResetOnClose(int fd);

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

// What a closing connection reads at most before it closes anyway.
inline constexpr std::size_t kMaxDrainBytes = 65536;

}  // namespace plimod
