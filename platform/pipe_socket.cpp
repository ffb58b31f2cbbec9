#include "platform/pipe_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/program_stop.h"

namespace plimod {

namespace {

using Clock = std::chrono::steady_clock;

int MsUntil(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// The program's stop ends the wait as a failure: a transfer still under
// way then is abandoned.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  pollfd entries[2] = {{fd, events, 0}, {ProgramStopFd(), POLLIN, 0}};
  for (;;) {
    const int ready = ::poll(entries, 2, MsUntil(deadline));
    if (entries[1].revents != 0) return false;
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool FillAddress(std::string_view name, sockaddr_un& address) {
  const std::string path = PipeSocketPath(name);
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.empty()) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

}  // namespace

std::string PipeSocketPath(std::string_view name) {
  const char* folder = std::getenv("EPGTIMER_PIPE_DIR");
  std::string path = folder != nullptr && *folder != '\0' ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  path += name;
  if (name.empty() || path.size() >= sizeof(sockaddr_un{}.sun_path)) return {};
  return path;
}

PipeConnect ConnectPipeSocket(std::string_view name, UniqueFd& out) {
  sockaddr_un address;
  if (!FillAddress(name, address)) return PipeConnect::kFailed;
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd) return PipeConnect::kFailed;
  int result;
  do {
    result = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    return errno == ENOENT || errno == ECONNREFUSED ? PipeConnect::kNotThere : PipeConnect::kFailed;
  }
  out = std::move(fd);
  return PipeConnect::kConnected;
}

bool PipeSocketListening(std::string_view name) {
  sockaddr_un address;
  if (!FillAddress(name, address)) return false;
  // Non-blocking: with the server's backlog full a connect would wait.
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd) return true;  // cannot tell here; the caller's wait decides
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
  return errno != ENOENT && errno != ECONNREFUSED;
}

// Bound under a name of its own and renamed into place once it listens, so
// that a client never finds the path before connections are taken there (it
// would take the server for absent). Bound in place when that name would not
// fit.
UniqueFd ListenPipeSocket(std::string_view name, int backlog) {
  sockaddr_un address;
  if (!FillAddress(name, address)) return UniqueFd();
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd) return UniqueFd();
  const std::string path = address.sun_path;
  const std::string staging = path + "." + std::to_string(::getpid()) + ".new";
  const bool staged = staging.size() < sizeof address.sun_path;
  if (staged) std::memcpy(address.sun_path, staging.c_str(), staging.size() + 1);
  ::unlink(address.sun_path);
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0 ||
      ::listen(fd.get(), backlog) < 0 || (staged && ::rename(staging.c_str(), path.c_str()) != 0)) {
    if (staged) ::unlink(staging.c_str());
    return UniqueFd();
  }
  return fd;
}

bool SendAllWithin(int fd, const void* data, std::size_t size, std::uint32_t timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const auto* bytes = static_cast<const char*>(data);
  std::size_t sent = 0;
  while (sent < size) {
    if (!WaitFor(fd, POLLOUT, deadline)) return false;
    const ssize_t n = ::send(fd, bytes + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      return false;
    }
  }
  return true;
}

bool ReceiveExactWithin(int fd, void* data, std::size_t size, std::uint32_t timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  auto* bytes = static_cast<char*>(data);
  std::size_t received = 0;
  while (received < size) {
    if (!WaitFor(fd, POLLIN, deadline)) return false;
    const ssize_t n = ::recv(fd, bytes + received, size - received, MSG_DONTWAIT);
    if (n == 0) return false;  // the peer closed: what is missing never comes
    if (n > 0) {
      received += static_cast<std::size_t>(n);
    } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      return false;
    }
  }
  return true;
}

bool WaitReadableWithin(int fd, std::uint32_t timeoutMs) {
  return WaitFor(fd, POLLIN, Clock::now() + std::chrono::milliseconds(timeoutMs));
}

}  // namespace plimod
