#include "epg/epg_folder_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "epg/epg_busy_flag.h"
#include "epg/epg_folder.h"
#include "platform/file.h"
#include "util/log.h"

namespace plimod {
namespace {

constexpr std::uint32_t kWatchMask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_ONLYDIR;
constexpr int kPollSliceMs = 1000;
constexpr auto kStopWait = std::chrono::milliseconds(kEpgReloadPolls * 100);

struct WatchState {
  EpgStore* store = nullptr;
  EpgWatchOptions options;
  UniqueFd wakeFd;  // eventfd, written once to stop the thread
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
};

std::mutex controlMutex;
std::shared_ptr<WatchState> running;
std::thread watchThread;
std::atomic<bool> stopRequested{false};

// Waits up to `ms` for the stop wake-up; true when stopping.
bool WaitForStop(WatchState& state, int ms) {
  pollfd wake{state.wakeFd.get(), POLLIN, 0};
  while (!state.stop) {
    const int ready = poll(&wake, 1, ms);
    if (ready >= 0 || errno != EINTR) break;
  }
  return state.stop;
}

void FirstPass(WatchState& state) {
  if (!EpgBusyFlag.TryAcquire(kEpgReloadPolls)) return;
  ShowEpgBusy(true);
  LoadEpgFolder(*state.store);
  // The busy state stays shown for the whole pass; only the flag is let go
  // while a peer is asked.
  const EpgWatchJobs& jobs = state.options.jobs;
  const bool letGo = jobs.asksPeers && jobs.asksPeers();
  if (letGo) EpgBusyFlag.Release();
  const std::function<void()> runJobs = jobs.fetch ? jobs.fetch() : nullptr;
  if (letGo && !RetakeEpgBusyFlag([&state] { return state.stop.load(); })) {
    ShowEpgBusy(false);
    return;
  }
  if (runJobs) runJobs();
  if (jobs.armSyoboiUploadTimer) jobs.armSyoboiUploadTimer();
  ShowEpgBusy(false);
  EpgBusyFlag.Release();
}

enum class BatchResult { kContinue, kWatchLost };

// One read of inotify records: one reload per written file whose name holds
// no ".tmp", and one for a queue overflow (its records are lost).
BatchResult HandleBatch(WatchState& state, int inotifyFd) {
  alignas(inotify_event) char buffer[4096];
  const ssize_t got = read(inotifyFd, buffer, sizeof buffer);
  if (got < 0) {
    return (errno == EAGAIN || errno == EINTR) ? BatchResult::kContinue : BatchResult::kWatchLost;
  }
  bool overflow = false;
  bool lost = false;
  for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
    const auto* record = reinterpret_cast<const inotify_event*>(buffer + offset);
    offset += static_cast<ssize_t>(sizeof(inotify_event) + record->len);
    if (record->mask & IN_Q_OVERFLOW) overflow = true;
    if (record->mask & IN_IGNORED) lost = true;  // the folder went away
    if (!(record->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) || record->len == 0) continue;
    if (std::strstr(record->name, ".tmp") != nullptr) continue;
    if (state.stop) return BatchResult::kContinue;
    ReloadEpgIfIdle(*state.store);
  }
  if (overflow && !state.stop) ReloadEpgIfIdle(*state.store);
  return lost ? BatchResult::kWatchLost : BatchResult::kContinue;
}

// Waits for changes until stopping or until the watch is lost.
void WatchFolder(WatchState& state, int inotifyFd) {
  while (!state.stop) {
    pollfd fds[2] = {{inotifyFd, POLLIN, 0}, {state.wakeFd.get(), POLLIN, 0}};
    const int ready = poll(fds, 2, kPollSliceMs);
    if (ready < 0 && errno != EINTR) return;
    if (state.stop) return;
    if (ready <= 0 || !(fds[0].revents & POLLIN)) continue;
    if (HandleBatch(state, inotifyFd) == BatchResult::kWatchLost) return;
  }
}

void WatchLoop(WatchState& state) {
  const std::wstring folder = EpgDataFolder();
  const std::string nativeFolder = ToNativePath(folder);
  bool failureLogged = false;
  bool catchUp = false;  // changes may have gone unseen since the last watch
  while (!state.stop) {
    UniqueFd inotifyFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (inotifyFd && inotify_add_watch(inotifyFd.get(), nativeFolder.c_str(), kWatchMask) >= 0) {
      failureLogged = false;
      if (catchUp) ReloadEpgIfIdle(*state.store);
      WatchFolder(state, inotifyFd.get());
      catchUp = true;
      continue;
    }
    if (!failureLogged) {
      LogWrite("EPGデータフォルダを監視できません:%s (%s)\n", nativeFolder.c_str(),
               std::strerror(errno));
      failureLogged = true;
    }
    catchUp = true;
    WaitForStop(state, static_cast<int>(state.options.retryMs));
  }
}

void WatchThreadBody(std::shared_ptr<WatchState> state) {
  LogWrite("EPGデータフォルダ監視スレッド起動\n");
  FirstPass(*state);
  WatchLoop(*state);
  LogWrite("EPGデータフォルダ監視スレッド終了\n");
  std::lock_guard lock(state->mutex);
  state->done = true;
  state->finished.notify_all();
}

}  // namespace

bool StartEpgFolderWatch(EpgStore& store, EpgWatchOptions options) {
  std::lock_guard control(controlMutex);
  if (running) return false;
  auto state = std::make_shared<WatchState>();
  state->store = &store;
  state->options = std::move(options);
  state->wakeFd.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!state->wakeFd) return false;
  stopRequested = false;
  watchThread = std::thread(WatchThreadBody, state);
  running = std::move(state);
  return true;
}

bool StopEpgFolderWatch() {
  std::lock_guard control(controlMutex);
  if (!running) return false;
  stopRequested = true;
  running->stop = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(running->wakeFd.get(), &one, sizeof one);
  bool ended;
  {
    std::unique_lock lock(running->mutex);
    ended = running->finished.wait_for(lock, kStopWait, [&] { return running->done; });
  }
  // A thread that overran keeps its own state alive and ends on its own;
  // until it does, loads keep ending early. Once it has ended, loads on
  // other threads read the whole folder again.
  if (ended) {
    watchThread.join();
    stopRequested = false;
  } else {
    watchThread.detach();
  }
  running.reset();
  return true;
}

bool EpgFolderWatchStopRequested() { return stopRequested; }

}  // namespace plimod
