#include "server/listener_loop.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "server/listener_state.h"

namespace plimod {

namespace listener {

namespace {

// The loop looks at its stop flag at least this often.
constexpr Ms kLongestWait{1000};
constexpr int kEventsPerWait = 64;

}  // namespace

ListenerLoop::ListenerLoop(int listen_fd, int wake_fd, const ListenerSetup& setup)
    : listen_fd_(listen_fd),
      wake_fd_(wake_fd),
      setup_(setup),
      max_connections_(static_cast<std::size_t>(std::max(1, setup.config.max_connections))),
      head_timeout_(setup.config.head_timeout_ms),
      io_timeout_(setup.config.io_timeout_ms),
      drain_timeout_(setup.config.drain_timeout_ms),
      waiting_reply_limit_(setup.config.waiting_reply_limit),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      next_id_(kFirstConnectionId) {
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
      return ExpireWorking(id, c);
    case Phase::kWrite:  // a client that stopped taking its reply
      return DropReply(id);
    case Phase::kBody:  // a body still short: no answer fits
    case Phase::kDrain:
      return Close(id);
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
  if (!worker_queue_.empty()) until = std::min(until, room_check_at_);
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
  ReleaseHeldReply(c);
  if (c.ticket) (void)c.ticket->Withdraw();  // a queued page nobody waits for
  connections_.erase(found);
}

void ListenerLoop::ClearWake() {
  std::uint64_t count = 0;
  [[maybe_unused]] ssize_t ignored = ::read(wake_fd_, &count, sizeof count);
}

}  // namespace listener

bool RunListenerLoop(int listen_fd, int wake_fd, const std::atomic<bool>& stop, std::atomic<bool>& listening,
                     const ListenerSetup& setup) {
  listener::ListenerLoop loop(listen_fd, wake_fd, setup);
  if (!loop.Ready()) return false;
  listening = true;
  loop.Run(stop);
  return true;
}

}  // namespace plimod
