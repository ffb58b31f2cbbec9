#include "platform/main_loop.h"

#include <glib-unix.h>
#include <glib.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/window_messages.h"

namespace plimod {

// GLib calls back through plain functions; this struct reaches the loop's
// private parts for them.
struct MainLoopAccess {
  struct MessageSource {
    GSource base;
    MainLoop* loop;
  };
  struct TimerTick {
    MainLoop* loop;
    std::uint32_t id;
    GSource* source;
  };

  static gboolean Prepare(GSource* source, gint* timeout) {
    *timeout = -1;
    return reinterpret_cast<MessageSource*>(source)->loop->HasMessages();
  }
  static gboolean Check(GSource* source) {
    return reinterpret_cast<MessageSource*>(source)->loop->HasMessages();
  }
  static gboolean Dispatch(GSource* source, GSourceFunc, gpointer) {
    reinterpret_cast<MessageSource*>(source)->loop->DispatchOneMessage();
    return G_SOURCE_CONTINUE;
  }
  static gboolean OnTimer(gpointer data) {
    auto* tick = static_cast<TimerTick*>(data);
    tick->loop->DispatchTimer(tick->source, tick->id);
    return G_SOURCE_CONTINUE;
  }
  static void DeleteTick(gpointer data) { delete static_cast<TimerTick*>(data); }
};

namespace {

GSourceFuncs messageSourceFuncs = {MainLoopAccess::Prepare, MainLoopAccess::Check,
                                   MainLoopAccess::Dispatch, nullptr, nullptr, nullptr};

using Callback = std::function<void()>;

gboolean RunCallback(gpointer data) {
  (*static_cast<Callback*>(data))();
  return G_SOURCE_CONTINUE;
}

gboolean RunFdCallback(gint, GIOCondition, gpointer data) { return RunCallback(data); }

void DeleteCallback(gpointer data) { delete static_cast<Callback*>(data); }

void DropSource(GSource* source) {
  if (source != nullptr) {
    g_source_destroy(source);
    g_source_unref(source);
  }
}

}  // namespace

MainLoop::MainLoop(MessageHandler handler) : handler_(std::move(handler)) {
  GSource* source = g_source_new(&messageSourceFuncs, sizeof(MainLoopAccess::MessageSource));
  reinterpret_cast<MainLoopAccess::MessageSource*>(source)->loop = this;
  g_source_attach(source, nullptr);
  messageSource_ = source;
}

MainLoop::~MainLoop() {
  std::vector<GSource*> sources;
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    queue_.clear();
    for (auto& [id, timer] : timers_) sources.push_back(timer.source);
    timers_.clear();
    sources.insert(sources.end(), watches_.begin(), watches_.end());
    watches_.clear();
  }
  for (GSource* source : sources) DropSource(source);
  DropSource(messageSource_);
}

bool MainLoop::Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  {
    std::lock_guard lock(mutex_);
    if (closed_ || quit_.load()) return false;
    queue_.push_back({message, wparam, lparam});
  }
  g_main_context_wakeup(nullptr);
  return true;
}

std::intptr_t MainLoop::Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  return handler_(message, wparam, lparam);
}

bool MainLoop::HasMessages() const {
  std::lock_guard lock(mutex_);
  return !queue_.empty();
}

void MainLoop::DispatchOneMessage() {
  Message next;
  {
    std::lock_guard lock(mutex_);
    if (queue_.empty() || quit_.load()) return;
    next = queue_.front();
    queue_.pop_front();
  }
  handler_(next.message, next.wparam, next.lparam);
}

void MainLoop::SetTimer(std::uint32_t id, std::uint32_t periodMs) {
  periodMs = std::max(periodMs, kMinTimerMs);
  GSource* source = g_timeout_source_new(periodMs);
  auto* tick = new MainLoopAccess::TimerTick{this, id, source};
  g_source_set_callback(source, MainLoopAccess::OnTimer, tick, MainLoopAccess::DeleteTick);
  GSource* replaced = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (closed_) {
      g_source_unref(source);
      return;
    }
    auto it = timers_.find(id);
    if (it != timers_.end()) replaced = it->second.source;
    timers_[id] = {source, periodMs};
    // Attached under the lock so a concurrent SetTimer of the same id
    // cannot destroy it before it is attached.
    g_source_attach(source, nullptr);
  }
  DropSource(replaced);
}

void MainLoop::KillTimer(std::uint32_t id) {
  GSource* killed = nullptr;
  {
    std::lock_guard lock(mutex_);
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    killed = it->second.source;
    timers_.erase(it);
  }
  DropSource(killed);
}

std::uint32_t MainLoop::TimerPeriod(std::uint32_t id) const {
  std::lock_guard lock(mutex_);
  auto it = timers_.find(id);
  return it == timers_.end() ? 0 : it->second.periodMs;
}

void MainLoop::DispatchTimer(GSource* source, std::uint32_t id) {
  {
    // A tick of a timer that another thread just replaced or killed is stale.
    std::lock_guard lock(mutex_);
    auto it = timers_.find(id);
    if (it == timers_.end() || it->second.source != source || quit_.load()) return;
  }
  handler_(WM_TIMER, id, 0);
}

void MainLoop::AddWatch(GSource* source) {
  std::lock_guard lock(mutex_);
  if (closed_) {
    g_source_unref(source);
    return;
  }
  g_source_attach(source, nullptr);
  watches_.push_back(source);
}

void MainLoop::WatchReadable(int fd, std::function<void()> onReadable) {
  // GLib passes fd sources their own callback type through GSourceFunc.
  GSource* source = g_unix_fd_source_new(fd, G_IO_IN);
  g_source_set_callback(source, G_SOURCE_FUNC(RunFdCallback),
                        new Callback(std::move(onReadable)), DeleteCallback);
  AddWatch(source);
}

void MainLoop::WatchSignal(int signum, std::function<void()> onSignal) {
  GSource* source = g_unix_signal_source_new(signum);
  g_source_set_callback(source, RunCallback, new Callback(std::move(onSignal)), DeleteCallback);
  AddWatch(source);
}

void MainLoop::Run() {
  while (!quit_.load()) g_main_context_iteration(nullptr, TRUE);
}

void MainLoop::Quit() {
  quit_.store(true);
  g_main_context_wakeup(nullptr);
}

}  // namespace plimod
