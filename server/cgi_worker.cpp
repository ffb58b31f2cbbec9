#include "server/cgi_worker.h"

#include "server/connection.h"
#include "server/page_hooks.h"
#include "util/log.h"

namespace plimod {

namespace {

// An idle worker looks at its slot at least this often.
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

void CgiWorker::SetOnFree(std::function<void()> on_free) {
  std::lock_guard lock(free_mutex_);
  on_free_ = std::move(on_free);
}

void CgiWorker::Release() {
  busy_ = false;
  std::lock_guard lock(free_mutex_);
  if (on_free_) on_free_();
}

void CgiWorker::Dispatch(CgiJob job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  ++held_;
  std::lock_guard lock(thread_mutex_);
  thread_.Wake();
}

std::optional<CgiJob> CgiWorker::TakeJob() {
  std::lock_guard lock(mutex_);
  if (jobs_.empty()) return std::nullopt;
  std::optional<CgiJob> job = std::move(jobs_.front());
  jobs_.pop_front();
  return job;
}

void CgiWorker::Run(StopSignal& stop) {
  if (logged_) LogWrite("cgi実行スレッド起動\n");
  while (!stop.WaitForStop(kIdleWaitMs)) {
    // Jobs that queued while one ran go next, without waiting for a wake-up.
    while (std::optional<CgiJob> job = TakeJob()) {
      RunJob(*job);
      --held_;
      Release();
      if (stop.StopRequested()) break;
    }
  }
  if (logged_) LogWrite("cgi実行スレッド終了\n");
}

void CgiWorker::RunJob(CgiJob& job) {
  {
    ScopedRequestContext scope(job.context);
    ReplyWriter out(job.socket.get());
    out.BufferOutput();  // sent before the connection closes below
    page_(out);
  }
  CloseConnection(job.socket, drain_ms_);
}

bool StartCgiWorker(int drain_ms) {
  auto worker = std::make_shared<CgiWorker>(drain_ms, RunPageHandler);
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

void DispatchToCgiWorker(CgiJob job) {
  std::shared_ptr<CgiWorker> worker = CurrentCgiWorker();
  if (worker) worker->Dispatch(std::move(job));
}

}  // namespace plimod
