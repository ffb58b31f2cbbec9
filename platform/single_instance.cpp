#include "platform/single_instance.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <algorithm>
#include <cstring>
#include <utility>

namespace plimod {

namespace {

constexpr char kReloadRequest = 'R';
constexpr int kRequestWaitMs = 1000;

// An abstract address: a leading NUL, then the name, no terminator.
socklen_t AbstractAddress(const std::string& name, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
  std::memcpy(address.sun_path + 1, name.data(), length);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

}  // namespace

SingleInstance::SingleInstance(std::string name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() { Release(); }

InstanceClaim SingleInstance::Claim() {
  if (fd_ >= 0) return InstanceClaim::kOwned;
  Descriptor socket_fd(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (socket_fd.get() < 0) return InstanceClaim::kFailed;
  sockaddr_un address;
  socklen_t length = AbstractAddress(name_, address);
  if (bind(socket_fd.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) {
    return errno == EADDRINUSE ? InstanceClaim::kAlreadyRunning : InstanceClaim::kFailed;
  }
  if (listen(socket_fd.get(), 8) != 0) return InstanceClaim::kFailed;
  fd_ = socket_fd.release();
  return InstanceClaim::kOwned;
}

void SingleInstance::Release() {
  if (fd_ >= 0) close(std::exchange(fd_, -1));
}

bool SingleInstance::TakeReloadRequest() {
  if (fd_ < 0) return false;
  Descriptor peer(accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
  if (peer.get() < 0) return false;
  pollfd wait{peer.get(), POLLIN, 0};
  if (poll(&wait, 1, kRequestWaitMs) <= 0) return false;
  char request = 0;
  return recv(peer.get(), &request, 1, 0) == 1 && request == kReloadRequest;
}

bool SendReloadRequest(const std::string& name) {
  // Non-blocking, so a running instance that does not accept cannot hang us.
  Descriptor socket_fd(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (socket_fd.get() < 0) return false;
  sockaddr_un address;
  socklen_t length = AbstractAddress(name, address);
  if (connect(socket_fd.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) return false;
  return send(socket_fd.get(), &kReloadRequest, 1, MSG_NOSIGNAL) == 1;
}

}  // namespace plimod
