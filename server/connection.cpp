#include "server/connection.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>

namespace plimod {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kFileChunk = 65536;

int MsUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool WaitReadable(int fd, int timeout_ms) {
  pollfd entry{fd, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&entry, 1, timeout_ms);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

IoStatus StatusOfError() { return errno == EAGAIN || errno == EWOULDBLOCK ? IoStatus::kWouldBlock : IoStatus::kFailed; }

}  // namespace

void PrepareClientSocket(int fd) {
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
}

void PrepareWorkerSocket(int fd, int io_timeout_ms) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  timeval timeout{io_timeout_ms / 1000, (io_timeout_ms % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

IoStatus ReceiveAvailable(int fd, std::string& buffer, std::size_t limit) {
  char chunk[16384];
  while (buffer.size() < limit) {
    std::size_t room = std::min(limit - buffer.size(), sizeof chunk);
    ssize_t n = ::recv(fd, chunk, room, 0);
    if (n > 0) {
      buffer.append(chunk, static_cast<std::size_t>(n));
    } else if (n == 0) {
      return IoStatus::kPeerClosed;
    } else if (errno != EINTR) {
      return StatusOfError();
    }
  }
  return IoStatus::kDone;
}

IoStatus SendAvailable(int fd, const std::string& bytes, std::size_t& sent) {
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      return StatusOfError();
    }
  }
  return IoStatus::kDone;
}

IoStatus SendFileAvailable(int fd, int file, off_t& offset) {
  for (;;) {
    ssize_t n = ::sendfile(fd, file, &offset, kFileChunk);
    if (n == 0) return IoStatus::kDone;  // the end of the file, as a read of 0 bytes says
    if (n < 0 && errno != EINTR) return StatusOfError();
  }
}

IoStatus DiscardAvailable(int fd, std::size_t& drained) {
  char sink[4096];
  while (drained < kMaxDrainBytes) {
    ssize_t n = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
    if (n > 0) {
      drained += static_cast<std::size_t>(n);
    } else if (n == 0) {
      return IoStatus::kPeerClosed;
    } else if (errno != EINTR) {
      return StatusOfError();
    }
  }
  return IoStatus::kDone;
}

void CloseConnection(UniqueFd& fd, int drain_ms) {
  if (!fd) return;
  ::shutdown(fd.get(), SHUT_WR);
  const auto deadline = Clock::now() + std::chrono::milliseconds(drain_ms);
  std::size_t drained = 0;
  while (WaitReadable(fd.get(), MsUntil(deadline))) {
    if (DiscardAvailable(fd.get(), drained) != IoStatus::kWouldBlock) break;
  }
  fd.reset();
}

}  // namespace plimod
