// Accepting clients within the connection limit, and reading their heads
// and bodies up to what the request needs next.
#include <arpa/inet.h>
#include <sys/epoll.h>
#include <sys/socket.h>

#include <cerrno>

#include "server/connection.h"
#include "server/connection_activity.h"
#include "server/listener_state.h"

namespace plimod::listener {

namespace {

// How long a page request waits for a busy worker (once nine polls of 100 ms).
constexpr Ms kWorkerWait{900};
// How long accepting rests when the process is out of descriptors.
constexpr Ms kAcceptRest{100};
constexpr int kAcceptsPerWake = 64;

bool OutOfDescriptors(int error) {
  return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

}  // namespace

void ListenerLoop::AcceptPending() {
  for (int i = 0; i < kAcceptsPerWake; ++i) {
    const bool full = OpenConnections() >= max_connections_;
    if (full && !CanMakeRoom()) {
      SetAccepting(false);  // until a connection ends
      return;
    }
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    int fd = ::accept4(listen_fd_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;
      if (OutOfDescriptors(errno) && !MakeRoom()) {
        accept_rest_until_ = Clock::now() + kAcceptRest;
        SetAccepting(false);
        return;
      }
      continue;  // a client that gave up before we took it, or room was made
    }
    if (full) MakeRoom();
    Admit(fd, peer);
  }
}

void ListenerLoop::Admit(int fd, const sockaddr_in& peer) {
  auto c = std::make_unique<Connection>();
  c->socket.reset(fd);
  PrepareClientSocket(fd);
  c->accepted = Clock::now();
  NoteConnectionAccepted();
  char dotted[INET_ADDRSTRLEN] = "";
  ::inet_ntop(AF_INET, &peer.sin_addr, dotted, sizeof dotted);
  c->exchange.context.peer = dotted;
  c->exchange.peer = peer.sin_addr.s_addr;
  const std::uint64_t id = next_id_++;
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = id;
  if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &event) != 0) return;
  c->interest = EPOLLIN;
  SetDeadline(*c, c->accepted + head_timeout_);
  connections_.emplace(id, std::move(c));
}

std::optional<std::uint64_t> ListenerLoop::OldestHeadReader() const {
  for (const auto& [id, c] : connections_) {
    if (c->phase == Phase::kHead) return id;
  }
  return std::nullopt;
}

bool ListenerLoop::MakeRoom() {
  // A queued phone page gets its answer; a head reader may have sent a
  // whole request not yet read, and would get nothing.
  if (std::optional<std::uint64_t> phone = OldestQueuedPhonePage()) {
    if (AnswerQueuedPhonePageBusy(*phone, *connections_.at(*phone))) return true;
  }
  std::optional<std::uint64_t> oldest = OldestHeadReader();
  if (oldest) Close(*oldest);
  return oldest.has_value();
}

void ListenerLoop::SetAccepting(bool on) {
  if (accepting_ == on) return;
  epoll_event event{};
  event.events = on ? static_cast<std::uint32_t>(EPOLLIN) : 0u;
  event.data.u64 = kListenTag;
  ::epoll_ctl(epoll_.get(), EPOLL_CTL_MOD, listen_fd_, &event);
  accepting_ = on;
}

void ListenerLoop::ResumeAcceptingWhenRoom() {
  if (accepting_ || Clock::now() < accept_rest_until_) return;
  if (OpenConnections() >= max_connections_ && !CanMakeRoom()) return;
  accept_rest_until_ = Clock::time_point::min();
  SetAccepting(true);
}

void ListenerLoop::ReadHead(std::uint64_t id, Connection& c) {
  const std::size_t checked = c.exchange.received.size();
  IoStatus status = ReceiveAvailable(c.socket.get(), c.exchange.received, kRequestBufferSize);
  if (status == IoStatus::kFailed) return Close(id);
  if (status == IoStatus::kPeerClosed && c.exchange.received.empty()) return Close(id);
  if (status == IoStatus::kWouldBlock && !IsRequestHeadComplete(c.exchange.received, checked)) return;
  // The head is whole, the buffer full, or the peer done sending: answer what arrived.
  Proceed(id, c, HandleHttpRequest(c.exchange, setup_));
}

void ListenerLoop::ReadBody(std::uint64_t id, Connection& c) {
  IoStatus status = ReceiveAvailable(c.socket.get(), c.exchange.received, kRequestBufferSize);
  if (status == IoStatus::kFailed) return Close(id);
  RequestStep step = ContinuePostBody(c.exchange);
  // A body still short when the peer stopped sending will never be whole.
  if (step == RequestStep::kReadBody && status == IoStatus::kPeerClosed) return Close(id);
  Proceed(id, c, step);
}

void ListenerLoop::Proceed(std::uint64_t id, Connection& c, RequestStep step) {
  switch (step) {
    case RequestStep::kAnswer:
      return StartReply(id, c);
    case RequestStep::kReadBody:
      c.phase = Phase::kBody;
      SetDeadline(c, c.accepted + io_timeout_);
      return Watch(id, c, EPOLLIN);
    case RequestStep::kNeedWorker:
      c.phase = Phase::kWaitWorker;
      SetDeadline(c, Clock::now() + kWorkerWait);
      Watch(id, c, 0);
      worker_queue_.push_back(id);  // served after this round of events
      return;
    case RequestStep::kNeedMobileWorker:
      return HandToMobileWorker(id, c);
  }
}

}  // namespace plimod::listener
