#include "recorder/lists/reserve_list_keep.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "recorder/base/page_turns.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/lists/reserve_list_load.h"

namespace plimod {

namespace {

using Clock = std::chrono::steady_clock;

// Other clients of the server change reservations without telling us.
constexpr auto kServerListLife = std::chrono::seconds(3);
// A page that shows the list waits at most this long for a fresher one.
constexpr auto kShowWait = std::chrono::seconds(2);
// Before the first load since start there is no list to show: past the
// server calls of a load at their connect and reply time-outs.
constexpr auto kFirstLoadWait = std::chrono::seconds(100);
constexpr auto kStopWait = std::chrono::seconds(5);
constexpr auto kWorkerSlice = std::chrono::seconds(1);
constexpr auto kSettle = std::chrono::milliseconds(100);
constexpr auto kSettleMost = std::chrono::seconds(1);

struct KeepState {
  std::mutex mutex;
  std::condition_variable asked;   // the worker: a refresh is due, or stop
  std::condition_variable loaded;  // pages waiting for a load to end
  std::condition_variable ended;   // the stop: the worker has ended
  const IniFile* settings = nullptr;
  std::atomic<std::uint64_t> run{0};  // the worker of another run ends on its own
  bool running = false;
  bool refreshAsked = false;
  bool loading = false;  // the worker is loading
  bool workerEnded = true;
  std::thread worker;
  // Loads, in order of their beginning.
  std::uint64_t loadsBegun = 0;
  std::uint64_t published = 0;  // the sequence of the load whose lists are out
  std::uint64_t lastEnded = 0;  // the latest load that ended, failed or not
  // The latest load failed, and when it ended.
  std::optional<Clock::time_point> failedAt;
  std::uint64_t changes = 0;    // this program's changes so far
  // What the lists out were loaded from.
  bool everLoaded = false;
  std::uint64_t changesLoaded = 0;
  ReserveSourceStamp stampLoaded;
  Clock::time_point listReadAt;  // when the load of the lists out began
  // The worker's last load.
  Clock::time_point lastLoadEnded;
  Clock::duration lastLoadTook{};
  // This program's changes shown before a load brought them, each with the
  // count of changes it brought `changes` to: a load that began at a lower
  // count gets it made again.
  std::vector<std::pair<std::uint64_t, ReserveListPatch>> ownChanges;
};

// Never destroyed: a worker that overran its stop may still use it.
KeepState& State() {
  static KeepState& state = *new KeepState;
  return state;
}

ReserveSourceStamp::File StampOf(const std::optional<std::wstring>& path) {
  ReserveSourceStamp::File file;
  struct stat info {};
  if (!path || stat(ToNativePath(*path).c_str(), &info) != 0) return file;
  file.present = true;
  file.modifiedNs = std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec;
  file.size = info.st_size;
  file.inode = info.st_ino;
  return file;
}

ReserveSourceStamp SourceStamp(const IniFile& settings) {
  ReserveSourceStamp stamp;
  stamp.server = EpgTimerSrvMode();
  if (stamp.server) return stamp;
  const std::optional<std::wstring> programTxt = LocateProgramTxt(settings);
  stamp.programTxt = programTxt.value_or(L"");
  stamp.files = {StampOf(programTxt), StampOf(LocateRecorderFile(settings, L"RecInfo.txt")),
                 StampOf(LocateRecorderFile(settings, L"Reserve.txt"))};
  return stamp;
}

// Under the state's lock.
bool ChangedSinceLoad(const KeepState& state) { return !state.everLoaded || state.changes != state.changesLoaded; }

bool Aged(const KeepState& state, Clock::time_point now) { return now - state.listReadAt > kServerListLife; }

bool Stale(const KeepState& state, const ReserveSourceStamp& stamp, Clock::time_point now) {
  if (ChangedSinceLoad(state) || !(stamp == state.stampLoaded)) return true;
  return stamp.server && Aged(state, now);
}

// Whether a page that shows the list waits for a load. The server's list
// after this program's own changes already shows them; it waits only when
// other clients may have changed it meanwhile.
bool TooOldToShow(const KeepState& state, const ReserveSourceStamp& stamp, Clock::time_point now) {
  return stamp.server ? Aged(state, now) : Stale(state, stamp, now);
}

void AskRefresh(KeepState& state) {
  state.refreshAsked = true;
  state.asked.notify_one();
}

// A run of changes (an automatic reservation adds one programme after
// another) is loaded once, when it pauses, rather than after each add.
void SettleChanges(KeepState& state, std::unique_lock<std::mutex>& lock, std::uint64_t run) {
  if (!state.everLoaded || state.changes == state.changesLoaded) return;
  const Clock::time_point limit = Clock::now() + kSettleMost;
  std::uint64_t seen = state.changes;
  while (state.run == run && Clock::now() < limit) {
    if (!state.asked.wait_for(lock, kSettle, [&] { return state.run != run || state.changes != seen; })) return;
    seen = state.changes;
  }
}

// Under the lock: asks for a load and waits, at most `bound`, for one that
// begins after now (or, before the first load, for that one) to end.
void WaitForNextLoad(KeepState& state, std::unique_lock<std::mutex>& lock, Clock::duration bound) {
  const std::uint64_t begun = state.loadsBegun;
  const bool first = !state.everLoaded;
  const std::uint64_t run = state.run;
  if (!first || !state.loading) AskRefresh(state);  // the first load under way will do
  state.loaded.wait_for(lock, bound, [&] {
    return state.run != run || (state.everLoaded && (first || state.lastEnded > begun));
  });
}

// A slow server keeps at least half its time for others: the next load
// begins no sooner after the last one's end than that load took.
Clock::time_point HoldOffEnd(const KeepState& state) { return state.lastLoadEnded + state.lastLoadTook; }

void HoldOff(KeepState& state, std::unique_lock<std::mutex>& lock, std::uint64_t run) {
  state.asked.wait_until(lock, HoldOffEnd(state), [&] { return state.run != run; });
}

bool WorkerRuns(KeepState& state) {
  std::lock_guard lock(state.mutex);
  return state.running;
}

// Under the lock: the own changes a load that began with `changes` made so
// far may lack, made in a copy of its lists; the others are forgotten.
ReserveSnapshot WithLaterOwnChanges(KeepState& state, std::uint64_t changes, ReserveSnapshot lists) {
  auto& own = state.ownChanges;
  own.erase(std::remove_if(own.begin(), own.end(), [changes](const auto& change) { return change.first <= changes; }),
            own.end());
  if (own.empty()) return lists;
  auto changed = std::make_shared<ReserveLists>(*lists);
  for (const auto& change : own) change.second(*changed);
  IndexReserveList(*changed);
  return changed;
}

void RefreshWorker(std::uint64_t run) {
  KeepState& state = State();
  std::unique_lock lock(state.mutex);
  while (state.run == run) {
    if (!state.asked.wait_for(lock, kWorkerSlice, [&] { return state.run != run || state.refreshAsked; })) continue;
    if (state.run != run) break;
    HoldOff(state, lock, run);
    SettleChanges(state, lock, run);
    if (state.run != run) break;
    state.refreshAsked = false;
    const IniFile& settings = *state.settings;
    state.loading = true;
    lock.unlock();
    const Clock::time_point began = Clock::now();
    {
      // A page's change to the server goes before the load's next command;
      // the stop ends the wait for it.
      const BackgroundServerCommands background([&state, run] { return state.run != run; });
      LoadReserveList(settings);
    }
    const Clock::time_point ended = Clock::now();
    lock.lock();
    state.loading = false;
    state.lastLoadEnded = ended;
    state.lastLoadTook = ended - began;
    state.loaded.notify_all();
  }
  state.workerEnded = true;
  state.ended.notify_all();
}

}  // namespace

ReserveListLoadTicket BeginReserveListLoad(const IniFile& settings) {
  ReserveListLoadTicket ticket;
  ticket.stamp = SourceStamp(settings);
  KeepState& state = State();
  std::lock_guard lock(state.mutex);
  ticket.sequence = ++state.loadsBegun;
  ticket.changes = state.changes;
  ticket.begunAt = Clock::now();
  return ticket;
}

ReserveSnapshot EndReserveListLoad(const ReserveListLoadTicket& ticket, ReserveSnapshot lists, bool loaded) {
  KeepState& state = State();
  {
    std::lock_guard lock(state.mutex);
    if (ticket.sequence < state.published) return loaded ? lists : CurrentReserveLists();
    state.lastEnded = std::max(state.lastEnded, ticket.sequence);
    if (loaded) {
      state.failedAt.reset();
    } else {
      state.failedAt = Clock::now();
    }
    if (!loaded && state.everLoaded) {
      // A recorder out of reach for a while has not lost its reservations.
      state.loaded.notify_all();
      return CurrentReserveLists();
    }
    lists = WithLaterOwnChanges(state, ticket.changes, std::move(lists));
    state.published = ticket.sequence;
    state.everLoaded = true;
    state.changesLoaded = ticket.changes;
    state.stampLoaded = ticket.stamp;
    state.listReadAt = ticket.begunAt;
    PublishReserveLists(lists);
  }
  state.loaded.notify_all();
  return lists;
}

ReserveSnapshot ReserveListAsLoaded(const IniFile& settings) {
  KeepState& state = State();
  if (!WorkerRuns(state)) return LoadReserveList(settings);
  const ReserveSourceStamp stamp = SourceStamp(settings);
  std::lock_guard lock(state.mutex);
  if (Stale(state, stamp, Clock::now())) AskRefresh(state);
  return CurrentReserveLists();
}

ReserveSnapshot ReserveListToShow(const IniFile& settings) {
  KeepState& state = State();
  if (!WorkerRuns(state)) return LoadReserveList(settings);
  const ReserveSourceStamp stamp = SourceStamp(settings);
  std::unique_lock lock(state.mutex);
  const Clock::time_point now = Clock::now();
  if (!state.everLoaded) {
    WaitForNextLoad(state, lock, kFirstLoadWait);
  } else if (TooOldToShow(state, stamp, now)) {
    WaitForNextLoad(state, lock, kShowWait);
  } else if (Stale(state, stamp, now)) {
    AskRefresh(state);
  }
  return CurrentReserveLists();
}

ReserveSnapshot ReserveListToChange(const IniFile& settings) {
  KeepState& state = State();
  {
    std::unique_lock lock(state.mutex);
    if (!state.running) return CurrentReserveLists();
    if (!state.everLoaded) WaitForNextLoad(state, lock, kFirstLoadWait);
  }
  return ReserveListAsLoaded(settings);
}

void WaitForReserveListLoadEnd(std::chrono::milliseconds bound) {
  KeepState& state = State();
  std::unique_lock lock(state.mutex);
  const std::uint64_t run = state.run;
  // A load asked for waits out the hold-off, the server free meanwhile;
  // from the last load's end on that is known without the worker.
  state.loaded.wait_for(lock, bound, [&] {
    return !state.running || state.run != run ||
           (!state.loading && (!state.refreshAsked || Clock::now() < HoldOffEnd(state)));
  });
}

void ReserveListChanged() {
  KeepState& state = State();
  std::lock_guard lock(state.mutex);
  ++state.changes;
  if (state.running) AskRefresh(state);
}

ReserveSnapshot ApplyOwnReserveChange(const IniFile& settings, ReserveListPatch change) {
  if (!EpgTimerSrvMode()) {
    ReserveListChanged();
    return LoadReserveList(settings);
  }
  KeepState& state = State();
  std::lock_guard lock(state.mutex);
  ++state.changes;
  auto changed = std::make_shared<ReserveLists>(*CurrentReserveLists());
  change(*changed);
  IndexReserveList(*changed);
  state.ownChanges.emplace_back(state.changes, std::move(change));
  PublishReserveLists(changed);
  if (state.running) AskRefresh(state);
  return changed;
}

bool StartReserveListRefresh(const IniFile& settings) {
  KeepState& state = State();
  std::lock_guard lock(state.mutex);
  if (state.running || !state.workerEnded) return false;
  state.settings = &settings;
  state.running = true;
  state.workerEnded = false;
  state.everLoaded = false;   // what was published before is no load of this run
  state.lastLoadTook = {};
  state.refreshAsked = true;  // the first load begins at once
  state.worker = std::thread(RefreshWorker, ++state.run);
  return true;
}

void StopReserveListRefresh() {
  KeepState& state = State();
  std::unique_lock lock(state.mutex);
  if (!state.running) return;
  state.running = false;
  ++state.run;
  state.asked.notify_all();
  state.loaded.notify_all();
  // A load waiting on the server gives up on the program's stop; a worker
  // that overruns anyway ends on its own.
  const bool ended = state.ended.wait_for(lock, kStopWait, [&] { return state.workerEnded; });
  std::thread worker = std::move(state.worker);
  lock.unlock();
  if (ended) {
    worker.join();
  } else {
    worker.detach();
  }
}

std::optional<Clock::time_point> ReserveListLoadFailedAt() {
  KeepState& state = State();
  std::lock_guard lock(state.mutex);
  return state.failedAt;
}

void AgeKeptReserveListForTesting(std::chrono::seconds by) {
  KeepState& state = State();
  std::lock_guard lock(state.mutex);
  state.listReadAt -= by;
}

}  // namespace plimod
