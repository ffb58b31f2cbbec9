#pragma once
// The folder watch: a thread that reloads the EPG data as soon as a file in
// the EPG data folder has been written (closed after writing, or renamed
// into the folder). Names containing ".tmp" are ignored.

#include <cstdint>
#include <functional>

#include "epg/epg_store.h"

namespace plimod {

// The jobs the watch runs after its first load. `fetch` asks the peers
// what the jobs need (the calendar's programmes, the reservations the
// automatic reservation starts from) and hands back what runs them; when
// `asksPeers` says a peer is asked (the service or the server may be slow),
// EpgBusyFlag is let go for the fetch and taken back, however long pages
// keep it, for what runs them; otherwise it stays held throughout. The
// arming of the calendar upload timer comes last. Start-up wires them to
// their services; an empty job is skipped.
struct EpgWatchJobs {
  std::function<bool()> asksPeers;
  std::function<std::function<void()>()> fetch;
  std::function<void()> armSyoboiUploadTimer;
};

struct EpgWatchOptions {
  EpgWatchJobs jobs;
  // How long to wait before trying again to watch a folder that cannot be
  // watched (it does not exist yet, or a mount is missing).
  std::uint32_t retryMs = 60'000;
};

// Starts the watch thread; false when it already runs. `store` must outlive
// the thread.
bool StartEpgFolderWatch(EpgStore& store, EpgWatchOptions options = {});
// Asks the thread to stop and waits for it up to 49 times 100 ms; false when
// it was not running.
bool StopEpgFolderWatch();
// True from a stop request until the thread has ended (or, when it overran
// the wait, until the next start); a load's file loop ends early meanwhile.
bool EpgFolderWatchStopRequested();

}  // namespace plimod
