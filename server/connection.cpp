#include "server/connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>

#include "server/http_request_head.h"

namespace plimod {

namespace {

using Clock = std::chrono::steady_clock;

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

}  // namespace

void PrepareConnection(int fd, int io_timeout_ms) {
  timeval timeout{io_timeout_ms / 1000, (io_timeout_ms % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
}

std::string ReceiveRequestHead(int fd, std::size_t limit, int timeout_ms) {
  std::string received;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (received.size() < limit && !IsRequestHeadComplete(received)) {
    if (!WaitReadable(fd, MsUntil(deadline))) break;
    if (!ReceiveMore(fd, received, limit)) break;
  }
  return received;
}

bool ReceiveMore(int fd, std::string& buffer, std::size_t limit) {
  if (buffer.size() >= limit) return false;
  std::size_t old_size = buffer.size();
  buffer.resize(limit);
  ssize_t n;
  do {
    n = ::recv(fd, buffer.data() + old_size, limit - old_size, 0);
  } while (n < 0 && errno == EINTR);
  buffer.resize(old_size + (n > 0 ? static_cast<std::size_t>(n) : 0));
  return n > 0;
}

void CloseConnection(UniqueFd& fd, int drain_ms) {
  if (!fd) return;
  ::shutdown(fd.get(), SHUT_WR);
  const auto deadline = Clock::now() + std::chrono::milliseconds(drain_ms);
  char sink[4096];
  std::size_t drained = 0;
  while (drained < 65536 && WaitReadable(fd.get(), MsUntil(deadline))) {
    ssize_t n = ::recv(fd.get(), sink, sizeof sink, MSG_DONTWAIT);
    if (n <= 0) break;
    drained += static_cast<std::size_t>(n);
  }
  fd.reset();
}

}  // namespace plimod
