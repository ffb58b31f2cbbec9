#include "server/cgi_worker.h"

#include <algorithm>

#include "server/page_hooks.h"
#include "util/log.h"

namespace plimod {

namespace {

// An idle worker looks at its queue at least this often.
constexpr std::uint32_t kIdleWaitMs = 1000;

std::mutex g_mutex;
std::shared_ptr<CgiWorker> g_worker;

}  // namespace

bool CgiWorker::Start() {
  busy_ = false;
  std::shared_ptr<CgiWorker> self = shared_from_this();
  std::lock_guard lock(thread_mutex_);
  return thread_.Start([self](StopSignal& stop) { self->Run(stop); });
}

void CgiWorker::Stop(std::uint32_t timeout_ms) {
  std::lock_guard lock(thread_mutex_);
  thread_.Stop(timeout_ms);
}

bool CgiWorker::TryReserve() {
  bool expected = false;
  return busy_.compare_exchange_strong(expected, true);
}

void CgiWorker::SetOnDone(Done on_done) {
  std::lock_guard lock(done_mutex_);
  on_done_ = std::move(on_done);
}

void CgiWorker::Dispatch(CgiJob job) {
  {
    std::lock_guard lock(mutex_);
    std::erase_if(jobs_, [](const CgiJob& queued) { return queued.ticket->Withdrawn(); });
    jobs_.push_back(std::move(job));
  }
  std::lock_guard lock(thread_mutex_);
  thread_.Wake();
}

std::optional<CgiJob> CgiWorker::TakeJob() {
  std::lock_guard lock(mutex_);
  while (!jobs_.empty()) {
    std::optional<CgiJob> job = std::move(jobs_.front());
    jobs_.pop_front();
    if (job->ticket->Begin()) return job;
  }
  return std::nullopt;
}

void CgiWorker::Run(StopSignal& stop) {
  if (logged_) LogWrite("cgi実行スレッド起動\n");
  while (!stop.WaitForStop(kIdleWaitMs)) {
    // Jobs that queued while one ran go next, without waiting for a wake-up.
    while (std::optional<CgiJob> job = TakeJob()) {
      RunJob(*job);
      if (stop.StopRequested()) break;
    }
  }
  if (logged_) LogWrite("cgi実行スレッド終了\n");
}

void CgiWorker::RunJob(CgiJob& job) {
  std::string reply;
  {
    ScopedRequestContext scope(job.context);
    ReplyWriter out(&reply);
    page_(out);
  }
  busy_ = false;
  std::lock_guard lock(done_mutex_);
  if (on_done_) on_done_(job.connection, std::move(reply));
}

bool StartCgiWorker() {
  auto worker = std::make_shared<CgiWorker>(RunPageHandler);
  if (!worker->Start()) return false;
  std::lock_guard lock(g_mutex);
  g_worker = worker;
  return true;
}

void StopCgiWorker(std::uint32_t timeout_ms) {
  std::shared_ptr<CgiWorker> worker;
  {
    std::lock_guard lock(g_mutex);
    worker.swap(g_worker);
  }
  if (worker) worker->Stop(timeout_ms);
}

std::shared_ptr<CgiWorker> CurrentCgiWorker() {
  std::lock_guard lock(g_mutex);
  return g_worker;
}

}  // namespace plimod
