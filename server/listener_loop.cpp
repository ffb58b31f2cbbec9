#include "server/listener_loop.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "server/connection.h"
#include "server/connection_activity.h"

namespace plimod {

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

constexpr std::uint64_t kListenTag = 0;
constexpr std::uint64_t kWakeTag = 1;
constexpr std::uint64_t kFirstConnectionId = 2;
// How long a page request waits for a busy worker (once nine polls of 100 ms).
constexpr Ms kWorkerWait{900};
// How long accepting rests when the process is out of descriptors.
constexpr Ms kAcceptRest{100};
// The loop looks at its stop flag at least this often.
constexpr Ms kLongestWait{1000};
constexpr int kEventsPerWait = 64;
constexpr int kAcceptsPerWake = 64;
// Interest of a socket taken out of the epoll set.
constexpr std::uint32_t kUnwatched = ~0u;

enum class Phase {
  kHead,        // reading the head
  kBody,        // reading a POST body
  kWaitWorker,  // a page waiting for the worker to come free
  kWorking,     // a worker has the page (or has it queued)
  kWrite,       // sending the answer
  kDrain,       // answer sent: reading what the client still sends, then closing
};

struct Connection {
  Phase phase = Phase::kHead;
  UniqueFd socket;
  Clock::time_point accepted;
  Clock::time_point deadline;  // of the current phase
  std::uint32_t interest = 0;  // the epoll events watched, or kUnwatched
  HttpExchange exchange;
  std::shared_ptr<JobTicket> ticket;  // a phone page queued for its worker
  std::size_t held_reply = 0;         // bytes of a worker's reply counted as waiting
  std::size_t reply_sent = 0;
  off_t file_offset = 0;
  std::size_t drained = 0;
};

bool OutOfDescriptors(int error) {
  return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

class ListenerLoop {
 public:
  ListenerLoop(int listen_fd, int wake_fd, const ListenerSetup& setup);
  bool Ready() const { return epoll_.valid(); }
  void Run(const std::atomic<bool>& stop);

 private:
  void AcceptPending();
  void Admit(int fd, const sockaddr_in& peer);
  std::optional<std::uint64_t> OldestHeadReader() const;
  std::optional<std::uint64_t> OldestQueuedPhonePage() const;
  bool CanMakeRoom() const { return OldestHeadReader() || OldestQueuedPhonePage(); }
  bool MakeRoom();
  void SetAccepting(bool on);
  void ResumeAcceptingWhenRoom();

  void OnReady(std::uint64_t id, std::uint32_t events);
  void ReadHead(std::uint64_t id, Connection& c);
  void ReadBody(std::uint64_t id, Connection& c);
  void Proceed(std::uint64_t id, Connection& c, RequestStep step);
  void HandToMobileWorker(std::uint64_t id, Connection& c);
  void OnWorkingEvent(std::uint64_t id, Connection& c, std::uint32_t events);
  void TakeFinishedReplies();
  void StartReply(std::uint64_t id, Connection& c);
  void SendReply(std::uint64_t id, Connection& c);
  void StartDrain(std::uint64_t id, Connection& c);
  void Drain(std::uint64_t id, Connection& c);
  void Expire(std::uint64_t id, Connection& c);
  void Close(std::uint64_t id);
  // Those that have their answer and are closing make no difference.
  std::size_t OpenConnections() const { return connections_.size() - draining_; }

  void ServeWorkerQueue();
  std::optional<std::uint64_t> LongestStalledReply() const;
  void DropStalledReplies();
  void ExpireDeadlines();
  int WaitMs() const;
  void SetDeadline(Connection& c, Clock::time_point deadline);
  void Watch(std::uint64_t id, Connection& c, std::uint32_t events);
  void ClearWake();

  const int listen_fd_;
  const int wake_fd_;
  const ListenerSetup& setup_;
  const std::size_t max_connections_;
  const Ms head_timeout_;
  const Ms io_timeout_;
  const Ms drain_timeout_;
  const std::size_t waiting_reply_limit_;
  UniqueFd epoll_;
  // By id, which grows with each accept: the first entries are the oldest.
  std::map<std::uint64_t, std::unique_ptr<Connection>> connections_;
  std::deque<std::uint64_t> worker_queue_;
  std::uint64_t next_id_ = kFirstConnectionId;
  std::size_t draining_ = 0;             // connections in Phase::kDrain
  std::size_t waiting_reply_bytes_ = 0;  // worker replies not yet sent
  // No deadline falls before it.
  Clock::time_point next_expiry_ = Clock::time_point::max();
  bool accepting_ = true;
  Clock::time_point accept_rest_until_ = Clock::time_point::min();
};

ListenerLoop::ListenerLoop(int listen_fd, int wake_fd, const ListenerSetup& setup)
    : listen_fd_(listen_fd),
      wake_fd_(wake_fd),
      setup_(setup),
      max_connections_(static_cast<std::size_t>(std::max(1, setup.config.max_connections))),
      head_timeout_(setup.config.head_timeout_ms),
      io_timeout_(setup.config.io_timeout_ms),
      drain_timeout_(setup.config.drain_timeout_ms),
      waiting_reply_limit_(setup.config.waiting_reply_limit),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)) {
  for (auto [fd, tag] : {std::pair{listen_fd_, kListenTag}, std::pair{wake_fd_, kWakeTag}}) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = tag;
    if (epoll_ && ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &event) != 0) epoll_.reset();
  }
}

void ListenerLoop::Run(const std::atomic<bool>& stop) {
  epoll_event events[kEventsPerWait];
  while (!stop) {
    int ready = ::epoll_wait(epoll_.get(), events, kEventsPerWait, WaitMs());
    if (ready < 0 && errno != EINTR) return;
    if (stop) return;
    bool woken = false;  // a worker's reply may be in
    for (int i = 0; i < ready; ++i) {
      const std::uint64_t tag = events[i].data.u64;
      if (tag == kListenTag) {
        AcceptPending();
      } else if (tag == kWakeTag) {
        ClearWake();
        woken = true;
      } else {
        OnReady(tag, events[i].events);
      }
    }
    if (woken) TakeFinishedReplies();
    ServeWorkerQueue();
    ExpireDeadlines();
    ResumeAcceptingWhenRoom();
  }
}

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

std::optional<std::uint64_t> ListenerLoop::OldestQueuedPhonePage() const {
  for (const auto& [id, c] : connections_) {
    if (c->phase == Phase::kWorking && c->ticket && c->ticket->Queued()) return id;
  }
  return std::nullopt;
}

bool ListenerLoop::MakeRoom() {
  // A queued phone page gets its answer; a head reader may have sent a
  // whole request not yet read, and would get nothing.
  if (std::optional<std::uint64_t> phone = OldestQueuedPhonePage()) {
    Connection& c = *connections_.at(*phone);
    if (c.ticket->Withdraw()) {
      c.ticket.reset();
      AnswerWorkerBusy(c.exchange);
      StartReply(*phone, c);  // a short answer, usually out at once
      return true;
    }
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

void ListenerLoop::OnReady(std::uint64_t id, std::uint32_t events) {
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  Connection& c = *found->second;
  switch (c.phase) {
    case Phase::kHead:
      ReadHead(id, c);
      return;
    case Phase::kBody:
      ReadBody(id, c);
      return;
    case Phase::kWaitWorker:
      Close(id);  // nothing is watched while waiting, so this is an error or a hang-up
      return;
    case Phase::kWorking:
      OnWorkingEvent(id, c, events);
      return;
    case Phase::kWrite:
      SendReply(id, c);
      return;
    case Phase::kDrain:
      Drain(id, c);
      return;
  }
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

void ListenerLoop::HandToMobileWorker(std::uint64_t id, Connection& c) {
  CgiWorker* worker = setup_.mobile_worker.get();
  if (worker == nullptr) return Proceed(id, c, AnswerMobilePageHere(c.exchange));
  c.phase = Phase::kWorking;
  c.ticket = plimod::HandToMobileWorker(c.exchange, id, *worker);
  // Answered within the server's time-out: by the page, or "cgi busy".
  SetDeadline(c, c.accepted + io_timeout_);
  // Only the client's leaving is of interest, not what else it sends.
  Watch(id, c, EPOLLRDHUP);
}

void ListenerLoop::OnWorkingEvent(std::uint64_t id, Connection& c, std::uint32_t events) {
  // A client that shut only its sending side (as HTTP/1.0 scripts may after
  // the request) still reads: its page goes on. Its socket now stays
  // readable for good, so only hang-ups and errors are watched from here
  // on (epoll reports those whatever the interest).
  if ((events & (EPOLLHUP | EPOLLERR)) == 0) return Watch(id, c, 0);
  // The client reset or hung up: a phone page that has not started is
  // dropped; a page that runs finishes, and its reply then finds the
  // connection gone.
  if (c.ticket && c.ticket->Withdraw()) return Close(id);
  ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, c.socket.get(), nullptr);
  c.interest = kUnwatched;
}

void ListenerLoop::TakeFinishedReplies() {
  if (!setup_.inbox) return;
  for (FinishedReply& finished : setup_.inbox->TakeAll()) {
    auto found = connections_.find(finished.connection);
    if (found == connections_.end() || found->second->phase != Phase::kWorking) continue;
    Connection& c = *found->second;
    c.ticket.reset();
    c.exchange.reply = std::move(finished.reply);
    c.held_reply = c.exchange.reply.size();
    waiting_reply_bytes_ += c.held_reply;
    StartReply(finished.connection, c);
  }
}

void ListenerLoop::StartReply(std::uint64_t id, Connection& c) {
  c.phase = Phase::kWrite;
  SetDeadline(c, Clock::now() + io_timeout_);
  SendReply(id, c);
}

void ListenerLoop::SendReply(std::uint64_t id, Connection& c) {
  const std::size_t sent_before = c.reply_sent;
  const off_t offset_before = c.file_offset;
  IoStatus status = SendAvailable(c.socket.get(), c.exchange.reply, c.reply_sent);
  if (status == IoStatus::kDone && c.exchange.file) {
    status = SendFileAvailable(c.socket.get(), c.exchange.file.get(), c.file_offset);
  }
  switch (status) {
    case IoStatus::kDone:
      c.exchange.file.reset();
      return StartDrain(id, c);
    case IoStatus::kWouldBlock:
      // The deadline counts from the last progress, so a large file to a
      // slow but steady client still goes through.
      if (c.reply_sent != sent_before || c.file_offset != offset_before) c.deadline = Clock::now() + io_timeout_;
      return Watch(id, c, EPOLLOUT);
    case IoStatus::kPeerClosed:
    case IoStatus::kFailed:
      return Close(id);
  }
}

void ListenerLoop::StartDrain(std::uint64_t id, Connection& c) {
  ::shutdown(c.socket.get(), SHUT_WR);
  waiting_reply_bytes_ -= c.held_reply;
  c.held_reply = 0;
  std::string().swap(c.exchange.reply);
  c.phase = Phase::kDrain;
  ++draining_;
  SetDeadline(c, Clock::now() + drain_timeout_);
  Watch(id, c, EPOLLIN);
}

void ListenerLoop::Drain(std::uint64_t id, Connection& c) {
  if (DiscardAvailable(c.socket.get(), c.drained) != IoStatus::kWouldBlock) Close(id);
}

void ListenerLoop::Expire(std::uint64_t id, Connection& c) {
  switch (c.phase) {
    case Phase::kHead:
      // A connection that asked nothing gets nothing: a browser's spare one
      // would show any answer as its next page.
      if (c.exchange.received.empty()) return Close(id);
      // What arrived in time is the request, as a single receive once read it.
      return Proceed(id, c, HandleHttpRequest(c.exchange, setup_));
    case Phase::kWaitWorker:
      AnswerWorkerBusy(c.exchange);
      return StartReply(id, c);
    case Phase::kWorking:
      if (c.ticket && c.ticket->Withdraw()) {
        c.ticket.reset();
        AnswerWorkerBusy(c.exchange);
        return StartReply(id, c);
      }
      // The page runs: its reply comes when it ends.
      c.deadline = Clock::time_point::max();
      return;
    case Phase::kBody:   // a body still short: no answer fits
    case Phase::kWrite:  // a client that stopped taking its reply
    case Phase::kDrain:
      return Close(id);
  }
}

void ListenerLoop::ServeWorkerQueue() {
  while (!worker_queue_.empty()) {
    auto found = connections_.find(worker_queue_.front());
    if (found == connections_.end() || found->second->phase != Phase::kWaitWorker) {
      worker_queue_.pop_front();  // answered busy or gone meanwhile
      continue;
    }
    const std::uint64_t id = found->first;
    Connection& c = *found->second;
    CgiWorker* worker = setup_.worker.get();
    if (worker == nullptr) {
      worker_queue_.pop_front();
      AnswerWorkerBusy(c.exchange);
      StartReply(id, c);
      continue;
    }
    if (!worker->TryReserve()) return;  // its reply wakes the loop when it is free
    DropStalledReplies();
    worker_queue_.pop_front();
    c.phase = Phase::kWorking;
    c.deadline = Clock::time_point::max();
    Watch(id, c, 0);
    HandToWorker(c.exchange, id, *worker);
  }
}

std::optional<std::uint64_t> ListenerLoop::LongestStalledReply() const {
  // A reply's deadline is its last progress plus the same time-out for
  // all, so the earliest deadline marks the reply that waited longest.
  std::optional<std::uint64_t> stalled;
  Clock::time_point earliest = Clock::time_point::max();
  for (const auto& [id, c] : connections_) {
    if (c->held_reply > 0 && c->deadline < earliest) {
      stalled = id;
      earliest = c->deadline;
    }
  }
  return stalled;
}

void ListenerLoop::DropStalledReplies() {
  // Replies nobody takes give way to the page of a client that asks, so
  // memory stays bounded and the cost falls on those that do not read.
  while (waiting_reply_bytes_ >= waiting_reply_limit_) {
    std::optional<std::uint64_t> stalled = LongestStalledReply();
    if (!stalled) return;
    Close(*stalled);
  }
}

void ListenerLoop::ExpireDeadlines() {
  const Clock::time_point now = Clock::now();
  if (now < next_expiry_) return;
  next_expiry_ = Clock::time_point::max();
  std::vector<std::uint64_t> due;
  for (const auto& [id, c] : connections_) {
    if (c->deadline <= now) {
      due.push_back(id);
    } else {
      next_expiry_ = std::min(next_expiry_, c->deadline);
    }
  }
  for (std::uint64_t id : due) {
    auto found = connections_.find(id);
    if (found != connections_.end()) Expire(id, *found->second);
  }
}

int ListenerLoop::WaitMs() const {
  const Clock::time_point now = Clock::now();
  Clock::time_point until = std::min(now + kLongestWait, next_expiry_);
  if (!accepting_ && accept_rest_until_ > now) until = std::min(until, accept_rest_until_);
  if (until <= now) return 0;
  return static_cast<int>(std::chrono::ceil<Ms>(until - now).count());
}

void ListenerLoop::SetDeadline(Connection& c, Clock::time_point deadline) {
  c.deadline = deadline;
  next_expiry_ = std::min(next_expiry_, deadline);
}

void ListenerLoop::Watch(std::uint64_t id, Connection& c, std::uint32_t events) {
  if (c.interest == events) return;
  epoll_event event{};
  event.events = events;
  event.data.u64 = id;
  ::epoll_ctl(epoll_.get(), c.interest == kUnwatched ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, c.socket.get(), &event);
  c.interest = events;
}

void ListenerLoop::Close(std::uint64_t id) {
  auto found = connections_.find(id);
  if (found == connections_.end()) return;
  Connection& c = *found->second;
  if (c.phase == Phase::kDrain) --draining_;
  waiting_reply_bytes_ -= c.held_reply;
  if (c.ticket) (void)c.ticket->Withdraw();  // a queued page nobody waits for
  connections_.erase(found);
}

void ListenerLoop::ClearWake() {
  std::uint64_t count = 0;
  [[maybe_unused]] ssize_t ignored = ::read(wake_fd_, &count, sizeof count);
}

}  // namespace

bool RunListenerLoop(int listen_fd, int wake_fd, const std::atomic<bool>& stop, std::atomic<bool>& listening,
                     const ListenerSetup& setup) {
  ListenerLoop loop(listen_fd, wake_fd, setup);
  if (!loop.Ready()) return false;
  listening = true;
  loop.Run(stop);
  return true;
}

}  // namespace plimod
