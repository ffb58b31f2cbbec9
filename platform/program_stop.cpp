#include "platform/program_stop.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>

namespace plimod {

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read and written in a signal handler");

// Made before any handler can run; they live as long as the process.
int StopFd() {
  static const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  return fd;
}

int SignalNoticeFd() {
  static const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  return fd;
}

void Notify(int fd) {
  if (fd < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = ::write(fd, &one, sizeof one);
}

void Empty(int fd) {
  if (fd < 0) return;
  std::uint64_t count = 0;
  [[maybe_unused]] ssize_t ignored = ::read(fd, &count, sizeof count);
}

extern "C" void OnStopSignal(int) {
  const int saved = errno;
  RequestProgramStop();
  Notify(SignalNoticeFd());
  errno = saved;
}

}  // namespace

void RequestProgramStop() {
  if (!g_stop.exchange(true)) Notify(StopFd());
}

bool ProgramStopRequested() { return g_stop.load(); }

int ProgramStopFd() { return StopFd(); }

void ClearProgramStop() {
  Empty(StopFd());
  g_stop = false;
}

int CatchStopSignals() {
  StopFd();
  if (SignalNoticeFd() < 0) return -1;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (::sigaction(SIGTERM, &action, nullptr) != 0 || ::sigaction(SIGINT, &action, nullptr) != 0) return -1;
  return SignalNoticeFd();
}

void TakeStopSignals() { Empty(SignalNoticeFd()); }

}  // namespace plimod
