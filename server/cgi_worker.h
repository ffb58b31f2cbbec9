#pragma once
// A request worker: one thread that runs pages, one request at a time. A
// page is written into memory and handed back to the listening thread,
// which sends it as the client takes it: no worker ever waits on a client.
// The root path's worker is reserved (marked busy) by the listener before
// the hand-off, so two requests never share it and a third gets "cgi busy".
// The mobile pages that call the recorder have a worker of their own that
// queues its requests instead; a queued request can be withdrawn (its
// client left, or it waited too long) until the worker starts it.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/sync.h"
#include "server/reply_writer.h"
#include "server/request_context.h"

namespace plimod {

// Where a queued job stands; the listener and the worker move it on with
// one compare-and-swap each, so a job either runs or is withdrawn.
class JobTicket {
 public:
  // False when the job already runs (or ran).
  bool Withdraw() { return Move(kQueued, kWithdrawn); }
  // False when the job was withdrawn.
  bool Begin() { return Move(kQueued, kRunning); }
  bool Queued() const { return state_.load() == kQueued; }
  bool Withdrawn() const { return state_.load() == kWithdrawn; }

 private:
  enum State { kQueued, kRunning, kWithdrawn };
  bool Move(State from, State to) { return state_.compare_exchange_strong(from, to); }
  std::atomic<State> state_{kQueued};
};

struct CgiJob {
  std::uint64_t connection = 0;  // the listener's name for the client
  RequestContext context;
  std::shared_ptr<JobTicket> ticket = std::make_shared<JobTicket>();
};

// Always held by a shared_ptr: the thread keeps its worker alive, so a
// page that outlasts the bounded stop still finds its state.
class CgiWorker : public std::enable_shared_from_this<CgiWorker> {
 public:
  using Page = std::function<int(ReplyWriter&)>;
  // Called on the worker's thread with each finished reply, the worker
  // already free again.
  using Done = std::function<void(std::uint64_t connection, std::string reply)>;

  // `page` writes the reply of the job's request; `logged`: the thread's
  // start and end go to the log (the root path's worker).
  explicit CgiWorker(Page page, bool logged = true) : page_(std::move(page)), logged_(logged) {}
  CgiWorker(const CgiWorker&) = delete;
  CgiWorker& operator=(const CgiWorker&) = delete;

  bool Start();
  // Asks the thread to stop, wakes it and waits up to `timeout_ms`; a page
  // still running then finishes on its own.
  void Stop(std::uint32_t timeout_ms);

  // Marks the worker busy when it is free; false when it is busy.
  bool TryReserve();
  void SetOnDone(Done on_done);
  // Queues a job (after a reservation, the only one). Withdrawn jobs are
  // skipped, and dropped from the queue at the next dispatch.
  void Dispatch(CgiJob job);
  bool Busy() const { return busy_.load(); }

 private:
  void Run(StopSignal& stop);
  std::optional<CgiJob> TakeJob();
  void RunJob(CgiJob& job);

  const Page page_;
  const bool logged_;
  std::atomic<bool> busy_{false};
  std::mutex done_mutex_;
  Done on_done_;
  std::mutex mutex_;
  std::deque<CgiJob> jobs_;
  std::mutex thread_mutex_;  // Wake from the listener never races Stop
  StoppableThread thread_;
};

// The server's one worker, started and stopped with the server.
bool StartCgiWorker();
void StopCgiWorker(std::uint32_t timeout_ms);
// The running worker (null when none); the listener keeps it for its run.
std::shared_ptr<CgiWorker> CurrentCgiWorker();

}  // namespace plimod
