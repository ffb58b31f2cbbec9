#pragma once
// A plain client of a server on 127.0.0.1: connect, send, read until the
// server closes. Header-only, so the benchmarks can use it without the test
// libraries.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cstdint>
#include <string>

#include "platform/file.h"

namespace plimod::test {

// Reads give up after `receiveTimeoutSeconds`, so a broken server fails the
// caller instead of hanging it. A `receiveBuffer` (bytes) is set before the
// connection is made, so the window the server sees is that small. Empty
// when nothing listens.
inline UniqueFd ConnectLoopback(std::uint16_t port, int receiveTimeoutSeconds = 10, int receiveBuffer = 0) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (receiveBuffer > 0) ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  timeval timeout{receiveTimeoutSeconds, 0};
  ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return UniqueFd();
  return fd;
}

// Stops quietly at the first failed send.
inline void SendText(int fd, const std::string& text) {
  std::size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

inline std::string ReadToEnd(int fd) {
  std::string reply;
  char buf[8192];
  ssize_t n;
  while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) reply.append(buf, static_cast<std::size_t>(n));
  return reply;
}

}  // namespace plimod::test
