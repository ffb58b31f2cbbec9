// Phone pages that call the recorder, queued for the mobile worker: they
// are answered by the page or "cgi busy", and withdrawn while queued when
// their client leaves.
#include <sys/epoll.h>

#include "server/listener_state.h"

namespace plimod::listener {

std::optional<std::uint64_t> ListenerLoop::OldestQueuedPhonePage() const {
  for (const auto& [id, c] : connections_) {
    if (c->phase == Phase::kWorking && c->ticket && c->ticket->Queued()) return id;
  }
  return std::nullopt;
}

bool ListenerLoop::AnswerQueuedPhonePageBusy(std::uint64_t id, Connection& c) {
  if (!c.ticket->Withdraw()) return false;  // it has just started
  c.ticket.reset();
  AnswerWorkerBusy(c.exchange);
  StartReply(id, c);  // a short answer, usually out at once
  return true;
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

void ListenerLoop::ExpireWorking(std::uint64_t id, Connection& c) {
  if (c.ticket && AnswerQueuedPhonePageBusy(id, c)) return;
  // The page runs: its reply comes when it ends.
  c.deadline = Clock::time_point::max();
}

}  // namespace plimod::listener
