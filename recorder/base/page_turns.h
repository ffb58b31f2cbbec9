#pragma once
// The reservation server serves one command at a time. A page's change
// there goes before the program's own background commands (the kept list's
// loads): while a page's turn is under way, a background thread waits
// before its next command, so a page waits for at most the one command in
// flight. Both clients ask YieldToPageTurns before every command.

#include <functional>

namespace plimod {

// A page's change to the reservation server under way (RAII). While one is, the program's
// own background commands wait before their next command, so a page waits for at most the
// one command in flight. Hold it around the page's own commands only: a page that waits
// for the kept list's load while holding it waits out that load's wait for the turn.
class PageServerTurn {
 public:
  PageServerTurn();
  ~PageServerTurn();
  PageServerTurn(const PageServerTurn&) = delete;
  PageServerTurn& operator=(const PageServerTurn&) = delete;
};

// Marks the calling thread's server commands as background ones for its lifetime (RAII);
// the list refresh worker's loads use it. `ended`, when given, tells that the thread's
// work is over (its run was stopped): a wait for a page's turn then ends. It is asked
// under this module's lock, as often as the program's stop, so it reads an atomic.
class BackgroundServerCommands {
 public:
  explicit BackgroundServerCommands(std::function<bool()> ended = {});
  ~BackgroundServerCommands();
  BackgroundServerCommands(const BackgroundServerCommands&) = delete;
  BackgroundServerCommands& operator=(const BackgroundServerCommands&) = delete;

 private:
  friend void YieldToPageTurns();
  std::function<bool()> ended_;
  BackgroundServerCommands* previous_;
};

// Called by both clients before each command: on a background thread, waits while a page's
// turn is under way, bounded (60 s), ending within 100 ms on the program's stop
// (platform/program_stop.h) or when the thread's work has ended; elsewhere returns at once.
void YieldToPageTurns();

}  // namespace plimod
