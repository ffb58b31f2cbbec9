#pragma once
// A request worker: one thread that runs pages, one request at a time.
// The root path's worker is reserved (marked busy) by the listener before
// the hand-off, so two requests never share it and a third gets "cgi busy".
// The mobile pages that call the recorder have a worker of their own that
// queues its requests instead: they used to wait their turn on the
// listening thread and were never refused.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/file.h"
#include "platform/sync.h"
#include "server/reply_writer.h"
#include "server/request_context.h"

namespace plimod {

struct CgiJob {
  UniqueFd socket;
  RequestContext context;
};

// Always held by a shared_ptr: the thread keeps its worker alive, so a
// page that outlasts the bounded stop still finds its state.
class CgiWorker : public std::enable_shared_from_this<CgiWorker> {
 public:
  using Page = std::function<int(ReplyWriter&)>;

  // `page` writes the reply of the job's request; `logged`: the thread's
  // start and end go to the log (the root path's worker).
  CgiWorker(int drain_ms, Page page, bool logged = true)
      : drain_ms_(drain_ms), page_(std::move(page)), logged_(logged) {}
  CgiWorker(const CgiWorker&) = delete;
  CgiWorker& operator=(const CgiWorker&) = delete;

  bool Start();
  // Asks the thread to stop, wakes it and waits up to `timeout_ms`; a page
  // still running then finishes on its own.
  void Stop(std::uint32_t timeout_ms);

  // Marks the worker busy when it is free; false when it is busy.
  bool TryReserve();
  // Called on the worker's thread each time a page ends and the worker is
  // free again, so a listener waiting to reserve it can try at once.
  void SetOnFree(std::function<void()> on_free);
  // Hands a job to a worker this caller reserved; the worker runs the page,
  // closes the socket and becomes free again. Without a reservation jobs
  // wait in turn (the mobile worker).
  void Dispatch(CgiJob job);
  bool Busy() const { return busy_.load(); }
  // Jobs dispatched and not yet answered.
  std::size_t Held() const { return held_.load(); }

 private:
  void Run(StopSignal& stop);
  std::optional<CgiJob> TakeJob();
  void RunJob(CgiJob& job);
  void Release();

  const int drain_ms_;
  const Page page_;
  const bool logged_;
  std::atomic<bool> busy_{false};
  std::atomic<std::size_t> held_{0};
  std::mutex free_mutex_;
  std::function<void()> on_free_;
  std::mutex mutex_;
  std::deque<CgiJob> jobs_;
  std::mutex thread_mutex_;  // Wake from the listener never races Stop
  StoppableThread thread_;
};

// The server's one worker, started and stopped with the server.
bool StartCgiWorker(int drain_ms);
void StopCgiWorker(std::uint32_t timeout_ms);
// The running worker (null when none); the listener keeps it for its run.
std::shared_ptr<CgiWorker> CurrentCgiWorker();
// Hands a reserved job to the current worker; without a worker the socket
// is just closed.
void DispatchToCgiWorker(CgiJob job);

}  // namespace plimod
