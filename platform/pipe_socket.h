#pragma once
// The reservation server's named pipe "\\.\pipe\NAME" stands here as a
// Unix-domain stream socket <folder>/NAME, the folder taken from
// EPGTIMER_PIPE_DIR when set, else /tmp. Every transfer is bounded in time,
// and a peer that closes early is a failure, never a reason to retry. The
// program's stop (program_stop.h) ends every wait here as a failure.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace plimod {

// The socket path of a pipe name (empty when it would not fit a socket
// address).
std::string PipeSocketPath(std::string_view name);

enum class PipeConnect { kConnected, kNotThere, kFailed };

// Connects to the pipe; kNotThere when nothing listens at its path.
PipeConnect ConnectPipeSocket(std::string_view name, UniqueFd& out);

// False when nothing listens at the pipe's path (no socket there, or a
// refused connection); true when something does or it cannot be told. A
// server that is there sees a connection closed before it sent anything.
bool PipeSocketListening(std::string_view name);

// Listens at the pipe's path (a stale socket file there is replaced); for
// servers, which in this program means the test server only.
UniqueFd ListenPipeSocket(std::string_view name, int backlog = 8);

// Sends every byte within `timeoutMs`; false on failure, a closed peer or
// expiry. SIGPIPE is never raised.
[[nodiscard]] bool SendAllWithin(int fd, const void* data, std::size_t size,
                                 std::uint32_t timeoutMs);
// Receives exactly `size` bytes within `timeoutMs`; false when the peer
// closes first, on failure or on expiry.
[[nodiscard]] bool ReceiveExactWithin(int fd, void* data, std::size_t size,
                                      std::uint32_t timeoutMs);
// True when the descriptor becomes readable (data or a close) in time.
bool WaitReadableWithin(int fd, std::uint32_t timeoutMs);

}  // namespace plimod
