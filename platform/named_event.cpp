#include "platform/named_event.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

#include "platform/program_stop.h"

namespace plimod {

namespace {

constexpr std::uint32_t kStopPollMs = 100;

std::string PrefixedName(std::string_view name) {
  const char* prefix = std::getenv("EPGTIMER_EVENT_PREFIX");
  return (prefix != nullptr ? std::string(prefix) : std::string()) + std::string(name);
}

std::string SemaphoreName(std::string_view name) { return "/" + PrefixedName(name); }

timespec DeadlineAfter(std::uint32_t ms) {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  now.tv_sec += ms / 1000;
  now.tv_nsec += static_cast<long>(ms % 1000) * 1'000'000L;
  if (now.tv_nsec >= 1'000'000'000L) {
    now.tv_sec += 1;
    now.tv_nsec -= 1'000'000'000L;
  }
  return now;
}

bool Before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

}  // namespace

NamedEvent::~NamedEvent() { Close(); }

NamedEvent::NamedEvent(NamedEvent&& other) noexcept
    : sem_(std::exchange(other.sem_, SEM_FAILED)) {}

NamedEvent& NamedEvent::operator=(NamedEvent&& other) noexcept {
  if (this != &other) {
    Close();
    sem_ = std::exchange(other.sem_, SEM_FAILED);
  }
  return *this;
}

void NamedEvent::Close() {
  if (valid()) ::sem_close(sem_);
  sem_ = SEM_FAILED;
}

NamedEvent NamedEvent::CreateOrOpen(std::string_view name) {
  if (name.empty() || PrefixedName(name).find('/') != std::string::npos) return NamedEvent();
  const std::string semName = SemaphoreName(name);
  sem_t* sem = ::sem_open(semName.c_str(), O_CREAT | O_EXCL, 0666, 0);
  if (sem != SEM_FAILED) {
    // The umask narrowed the mode; other users' servers and clients must
    // open it too. glibc keeps named semaphores as /dev/shm/sem.NAME.
    ::chmod(("/dev/shm/sem." + PrefixedName(name)).c_str(), 0666);
    return NamedEvent(sem);
  }
  if (errno != EEXIST) return NamedEvent();
  return NamedEvent(::sem_open(semName.c_str(), 0));
}

NamedEvent NamedEvent::OpenExisting(std::string_view name) {
  if (name.empty() || PrefixedName(name).find('/') != std::string::npos) return NamedEvent();
  return NamedEvent(::sem_open(SemaphoreName(name).c_str(), 0));
}

bool NamedEvent::Remove(std::string_view name) {
  return ::sem_unlink(SemaphoreName(name).c_str()) == 0;
}

bool NamedEvent::Set() {
  if (!valid()) return false;
  int value = 0;
  if (::sem_getvalue(sem_, &value) != 0) return false;
  // A second set before anyone waited leaves it set once, as an event does.
  return value > 0 || ::sem_post(sem_) == 0;
}

// In polls of 100 ms, so the program's stop ends the wait (as a time-out)
// within one of them: a semaphore cannot be watched beside a descriptor.
NamedEvent::WaitResult NamedEvent::Wait(std::uint32_t timeoutMs) {
  if (!valid()) return WaitResult::kFailed;
  const timespec deadline = DeadlineAfter(timeoutMs);
  for (;;) {
    if (ProgramStopRequested()) return WaitResult::kTimedOut;
    timespec poll = DeadlineAfter(kStopPollMs);
    if (Before(deadline, poll)) poll = deadline;
    if (::sem_clockwait(sem_, CLOCK_MONOTONIC, &poll) == 0) return WaitResult::kSignalled;
    if (errno == ETIMEDOUT) {
      if (!Before(poll, deadline)) return WaitResult::kTimedOut;
    } else if (errno != EINTR) {
      return WaitResult::kFailed;
    }
  }
}

}  // namespace plimod
