#pragma once
// A machine-wide auto-reset event, the stand-in for a named "Global\NAME"
// event: the POSIX named semaphore "/NAME" kept at 0 or 1. Tests that run
// side by side put EPGTIMER_EVENT_PREFIX before the name, as the pipe folder
// moves with EPGTIMER_PIPE_DIR. Setting posts
// only while the count is 0; waiting takes the count back to 0. The
// semaphore outlives the processes that use it: a server that dies after
// setting it leaves it set, so the next client gets through to find no
// socket.

#include <semaphore.h>

#include <cstdint>
#include <string_view>

namespace plimod {

class NamedEvent {
 public:
  enum class WaitResult { kSignalled, kTimedOut, kFailed };

  NamedEvent() = default;
  ~NamedEvent();
  NamedEvent(NamedEvent&& other) noexcept;
  NamedEvent& operator=(NamedEvent&& other) noexcept;
  NamedEvent(const NamedEvent&) = delete;
  NamedEvent& operator=(const NamedEvent&) = delete;

  // Opens the event, creating it unset (readable and writable by everyone)
  // when it does not exist; invalid on failure.
  static NamedEvent CreateOrOpen(std::string_view name);
  // Opens the event only when it exists; invalid otherwise.
  static NamedEvent OpenExisting(std::string_view name);
  // Removes the name; processes that have it open keep their handle.
  static bool Remove(std::string_view name);

  bool valid() const { return sem_ != SEM_FAILED; }
  // Whether both handles are one mapping of one semaphore: glibc hands
  // back the mapping a process already holds when it opens the same
  // semaphore again.
  bool SameAs(const NamedEvent& other) const { return valid() && sem_ == other.sem_; }
  bool Set();
  // The program's stop ends a wait as kTimedOut.
  WaitResult Wait(std::uint32_t timeoutMs);

 private:
  explicit NamedEvent(sem_t* sem) : sem_(sem) {}
  void Close();

  sem_t* sem_ = SEM_FAILED;
};

}  // namespace plimod
