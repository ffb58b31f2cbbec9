#pragma once
// EpgBusyFlag: held by whoever loads or reads the EPG store (the reloads,
// the folder watch, the request worker's pages).

#include <functional>

#include "platform/sync.h"

namespace plimod {

extern BusyFlag EpgBusyFlag;

// Polls of 100 ms a reload waits for the flag before giving up.
inline constexpr int kEpgReloadPolls = 49;

// Takes the flag back for a job that let it go in its middle (to ask a
// peer) and must not be dropped because a page slipped in meanwhile: it
// polls until it has the flag (true) or, asked before each poll, `stopping`
// says so (false). It waits as long as pages keep the flag, so the main
// loop never calls it.
[[nodiscard]] bool RetakeEpgBusyFlag(const std::function<bool()>& stopping);

// The flag as a desktop page holds it: the dispatcher takes it for the
// page (showing it busy) and lets it go after, unless the page let it go
// first. A page about to wait on a peer (the reservation server) lets it go
// with LetGoOfEpgBusyFlag, so EPG loads do not wait for the peer; it copies
// what it needs from the EPG store before, since a load may rewrite the
// store from then on. One hold per thread at a time.
class PageEpgBusyHold {
 public:
  // Takes the flag with `polls` polls (BusyFlag::TryAcquire); held() says
  // whether it did.
  explicit PageEpgBusyHold(int polls);
  ~PageEpgBusyHold();
  PageEpgBusyHold(const PageEpgBusyHold&) = delete;
  PageEpgBusyHold& operator=(const PageEpgBusyHold&) = delete;

  bool held() const { return held_; }
  void LetGo();

 private:
  bool held_ = false;
};

// Lets go of the flag that the current thread's page holds; nothing when it
// holds none (a page run without the dispatcher, or let go already).
void LetGoOfEpgBusyFlag();

// Where a load shows that it holds the flag (the tray icon's busy state);
// set by the program's start-up, nothing by default.
using EpgBusyIndicator = std::function<void(bool busy)>;
void SetEpgBusyIndicator(EpgBusyIndicator indicator);
void ShowEpgBusy(bool busy);

}  // namespace plimod
