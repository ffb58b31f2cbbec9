#include "server/connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/sendfile.h>
#include <sys/socket.h>

#include <cerrno>

namespace plimod {

namespace {

constexpr std::size_t kFileChunk = 65536;

IoStatus StatusOfError() { return errno == EAGAIN || errno == EWOULDBLOCK ? IoStatus::kWouldBlock : IoStatus::kFailed; }

}  // namespace

void PrepareClientSocket(int fd) {
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
}

void ResetOnClose(int fd) {
  linger abort{1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
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

}  // namespace plimod
