#include "platform/sync.h"

#include <chrono>
#include <system_error>

#include "platform/system_time.h"

namespace plimod {

bool BusyFlag::TryAcquire() {
  bool expected = false;
  return busy_.compare_exchange_strong(expected, true, std::memory_order_acquire);
}

bool BusyFlag::TryAcquire(int polls) {
  if (TryAcquire()) return true;
  for (int i = 0; i < polls; ++i) {
    SleepMsUnless(kPollMs, [this] { return !IsBusy(); });
    if (TryAcquire()) return true;
  }
  return false;
}

void BusyFlag::Release() { busy_.store(false, std::memory_order_release); }

bool BusyFlag::IsBusy() const { return busy_.load(std::memory_order_acquire); }

void AutoResetEvent::Set() {
  // Notifying under the lock: a waiter that returns may destroy the event.
  std::lock_guard lock(mutex_);
  signalled_ = true;
  cv_.notify_one();
}

bool AutoResetEvent::Wait(std::uint32_t timeoutMs) {
  std::unique_lock lock(mutex_);
  if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return signalled_; })) {
    return false;
  }
  signalled_ = false;
  return true;
}

bool TurnLock::Acquire(std::uint32_t timeoutMs) {
  std::unique_lock lock(mutex_);
  const std::uint64_t ticket = ++tickets_;
  if (heldTicket_ == 0) {  // then nobody waits: Release hands it on
    heldTicket_ = ticket;
    holder_ = std::this_thread::get_id();
    return true;
  }
  waiters_.push_back({ticket, std::this_thread::get_id()});
  if (handed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return heldTicket_ == ticket; })) {
    return true;
  }
  // Out of the queue, so the lock is never handed to a thread gone on.
  std::erase_if(waiters_, [ticket](const Waiter& waiter) { return waiter.ticket == ticket; });
  return false;
}

void TurnLock::Release() {
  std::lock_guard lock(mutex_);
  if (heldTicket_ == 0 || holder_ != std::this_thread::get_id()) return;
  if (waiters_.empty()) {
    heldTicket_ = 0;
    holder_ = {};
    return;
  }
  heldTicket_ = waiters_.front().ticket;
  holder_ = waiters_.front().thread;
  waiters_.pop_front();
  // Under the lock: the next holder may destroy the lock once it returns.
  handed_.notify_all();
}

std::size_t TurnLock::Waiting() const {
  std::lock_guard lock(mutex_);
  return waiters_.size();
}

bool StopSignal::StopRequested() const {
  std::lock_guard lock(mutex_);
  return stop_;
}

bool StopSignal::WaitForStop(std::uint32_t ms) {
  std::unique_lock lock(mutex_);
  cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stop_ || woken_; });
  woken_ = false;
  return stop_;
}

void StopSignal::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  cv_.notify_all();
}

void StopSignal::RequestStop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  cv_.notify_all();
}

void StopSignal::MarkFinished() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  cv_.notify_all();
}

bool StopSignal::WaitFinished(std::uint32_t ms) {
  std::unique_lock lock(mutex_);
  return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return finished_; });
}

StoppableThread::~StoppableThread() { Stop(); }

bool StoppableThread::Start(std::function<void(StopSignal&)> body) {
  if (thread_.joinable() || !body) return false;
  auto signal = std::make_shared<StopSignal>();
  try {
    // The thread holds its own reference: a detached overrunning body keeps
    // its signal alive.
    thread_ = std::thread([signal, body = std::move(body)] {
      body(*signal);
      signal->MarkFinished();
    });
  } catch (const std::system_error&) {
    return false;
  }
  signal_ = std::move(signal);
  return true;
}

void StoppableThread::Wake() {
  if (signal_) signal_->Wake();
}

bool StoppableThread::Stop(std::uint32_t timeoutMs) {
  if (!thread_.joinable()) return true;
  signal_->RequestStop();
  const bool finished = signal_->WaitFinished(timeoutMs);
  if (finished) {
    thread_.join();
  } else {
    thread_.detach();
  }
  signal_.reset();
  return finished;
}

}  // namespace plimod
