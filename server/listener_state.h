#pragma once
// The listening loop's state, one class whose concerns live in files of
// their own: listener_loop.cpp (the wait, deadlines, closing),
// listener_accept.cpp (accepting and reading heads and bodies),
// listener_replies.cpp (the worker's queue, sending replies and their
// memory bound) and listener_phone_queue.cpp (pages queued for the mobile
// worker). Only the listening thread touches it.

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "server/http_request_handler.h"
#include "server/reply_bound.h"

namespace plimod::listener {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// Epoll tags of the two descriptors that are not connections; connections
// are tagged with their ids, which start above them.
inline constexpr std::uint64_t kListenTag = 0;
inline constexpr std::uint64_t kWakeTag = 1;
inline constexpr std::uint64_t kFirstConnectionId = 2;
// Interest of a socket taken out of the epoll set.
inline constexpr std::uint32_t kUnwatched = ~0u;

enum class Phase {
  kHead,        // reading the head
  kBody,        // reading a POST body
  kWaitWorker,  // a page waiting for the worker to come free (or for room for its reply)
  kWorking,     // a worker has the page (or has it queued)
  kWrite,       // sending the answer
  kDrain,       // answer sent: reading what the client still sends, then closing
};

struct Connection {
  Phase phase = Phase::kHead;
  UniqueFd socket;
  Clock::time_point accepted;
  Clock::time_point deadline;  // of the current phase
  Clock::time_point last_progress;  // of the reply: its start, then its last bytes out
  std::uint32_t interest = 0;  // the epoll events watched, or kUnwatched
  HttpExchange exchange;
  std::shared_ptr<JobTicket> ticket;  // a phone page queued for its worker
  std::size_t held_reply = 0;         // bytes of a worker's reply counted as waiting
  std::size_t reply_sent = 0;
  off_t file_offset = 0;
  std::size_t drained = 0;
};

class ListenerLoop {
 public:
  ListenerLoop(int listen_fd, int wake_fd, const ListenerSetup& setup);
  bool Ready() const { return epoll_.valid(); }
  void Run(const std::atomic<bool>& stop);

 private:
  // listener_accept.cpp
  void AcceptPending();
  void Admit(int fd, const sockaddr_in& peer);
  std::optional<std::uint64_t> OldestHeadReader() const;
  bool CanMakeRoom() const { return OldestHeadReader() || OldestQueuedPhonePage(); }
  bool MakeRoom();
  void SetAccepting(bool on);
  void ResumeAcceptingWhenRoom();
  void ReadHead(std::uint64_t id, Connection& c);
  void ReadBody(std::uint64_t id, Connection& c);
  void Proceed(std::uint64_t id, Connection& c, RequestStep step);

  // listener_phone_queue.cpp
  std::optional<std::uint64_t> OldestQueuedPhonePage() const;
  bool AnswerQueuedPhonePageBusy(std::uint64_t id, Connection& c);
  void HandToMobileWorker(std::uint64_t id, Connection& c);
  void OnWorkingEvent(std::uint64_t id, Connection& c, std::uint32_t events);
  void ExpireWorking(std::uint64_t id, Connection& c);

  // listener_replies.cpp
  void ServeWorkerQueue();
  bool RoomForAnotherReply();
  std::vector<WaitingReply> WaitingReplies() const;
  void DropReply(std::uint64_t id);
  void TakeFinishedReplies();
  void StartReply(std::uint64_t id, Connection& c);
  void SendReply(std::uint64_t id, Connection& c);
  void StartDrain(std::uint64_t id, Connection& c);
  void Drain(std::uint64_t id, Connection& c);
  void ReleaseHeldReply(Connection& c);

  // listener_loop.cpp
  void OnReady(std::uint64_t id, std::uint32_t events);
  void Expire(std::uint64_t id, Connection& c);
  void Close(std::uint64_t id);
  // Those that have their answer and are closing make no difference.
  std::size_t OpenConnections() const { return connections_.size() - draining_; }
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
  std::uint64_t next_id_;
  std::size_t draining_ = 0;             // connections in Phase::kDrain
  std::size_t waiting_reply_bytes_ = 0;  // worker replies not yet sent
  // No deadline falls before it.
  Clock::time_point next_expiry_ = Clock::time_point::max();
  // While a page waits for room for its reply: when to look again (the
  // next reply to count as stalled, or at once when one has ended).
  Clock::time_point room_check_at_ = Clock::time_point::max();
  bool accepting_ = true;
  Clock::time_point accept_rest_until_ = Clock::time_point::min();
};

}  // namespace plimod::listener
