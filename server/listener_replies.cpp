// Replies: pages waiting for the worker, the memory bound of worker
// replies not yet sent, and sending every answer as its client takes it.
#include <sys/epoll.h>
#include <sys/socket.h>

#include "server/connection.h"
#include "server/listener_state.h"

namespace plimod::listener {

void ListenerLoop::ServeWorkerQueue() {
  room_check_at_ = Clock::time_point::max();
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
    // Only this thread reserves the worker, so one that is free now is
    // free below; stalled replies are dropped only for a page that can go.
    if (worker->Busy()) return;             // its reply wakes the loop when it is free
    if (!RoomForAnotherReply()) return;     // the page waits within its deadline
    if (!worker->TryReserve()) return;
    worker_queue_.pop_front();
    c.phase = Phase::kWorking;
    c.deadline = Clock::time_point::max();
    Watch(id, c, 0);
    HandToWorker(c.exchange, id, *worker);
  }
}

bool ListenerLoop::RoomForAnotherReply() {
  // Replies nobody takes give way to the page of a client that asks, so
  // memory stays bounded and the cost falls on those that do not read.
  if (waiting_reply_bytes_ < waiting_reply_limit_) return true;
  for (std::uint64_t id : StalledRepliesToDrop(WaitingReplies(), waiting_reply_bytes_, waiting_reply_limit_,
                                               Clock::now())) {
    DropReply(id);
  }
  if (waiting_reply_bytes_ < waiting_reply_limit_) return true;
  // Every reply left is being read: look again when the first of them
  // would count as stalled (one that ends sooner makes room itself).
  room_check_at_ = NextStallMark(WaitingReplies());
  return false;
}

std::vector<WaitingReply> ListenerLoop::WaitingReplies() const {
  std::vector<WaitingReply> waiting;
  for (const auto& [id, c] : connections_) {
    if (c->held_reply > 0) waiting.push_back({id, c->held_reply, c->last_progress});
  }
  return waiting;
}

void ListenerLoop::DropReply(std::uint64_t id) {
  // A reset, not an end: the pages carry no length, so a client must not
  // take what it got for the whole page.
  ResetOnClose(connections_.at(id)->socket.get());
  Close(id);
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
  c.last_progress = Clock::now();
  SetDeadline(c, c.last_progress + io_timeout_);
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
      if (c.reply_sent != sent_before || c.file_offset != offset_before) {
        c.last_progress = Clock::now();
        c.deadline = c.last_progress + io_timeout_;
      }
      return Watch(id, c, EPOLLOUT);
    case IoStatus::kPeerClosed:
    case IoStatus::kFailed:
      return Close(id);
  }
}

void ListenerLoop::StartDrain(std::uint64_t id, Connection& c) {
  ::shutdown(c.socket.get(), SHUT_WR);
  ReleaseHeldReply(c);
  std::string().swap(c.exchange.reply);
  c.phase = Phase::kDrain;
  ++draining_;
  SetDeadline(c, Clock::now() + drain_timeout_);
  Watch(id, c, EPOLLIN);
}

void ListenerLoop::Drain(std::uint64_t id, Connection& c) {
  if (DiscardAvailable(c.socket.get(), c.drained) != IoStatus::kWouldBlock) Close(id);
}

void ListenerLoop::ReleaseHeldReply(Connection& c) {
  if (c.held_reply == 0) return;
  waiting_reply_bytes_ -= c.held_reply;
  c.held_reply = 0;
  // A page waiting for room looks again at once, even when this reply ended
  // after the loop served its queue.
  room_check_at_ = Clock::time_point::min();
}

}  // namespace plimod::listener
