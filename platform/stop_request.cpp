#include "platform/stop_request.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace plimod {
namespace {

std::atomic<bool> stopRequested{false};
std::atomic<int> signalNotifyFd{-1};

// Made once before any handler can run; the handler only writes to it.
int WakeFd() {
  static const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  return fd;
}

void AddOne(int fd) {
  if (fd < 0) return;
  const std::uint64_t one = 1;
  const ssize_t written = write(fd, &one, sizeof one);
  (void)written;  // a full counter or pipe is already readable
}

// Async-signal-safe: an atomic store and writes.
void SetAndWake() {
  stopRequested.store(true);
  AddOne(WakeFd());
}

void OnStopSignal(int) {
  const int saved = errno;
  SetAndWake();
  AddOne(signalNotifyFd.load());
  errno = saved;
}

}  // namespace

void RequestProgramStop() { SetAndWake(); }

bool ProgramStopRequested() { return stopRequested.load(); }

int StopRequestFd() { return WakeFd(); }

void HandleStopSignal(int signum, int notifyFd) {
  WakeFd();
  signalNotifyFd.store(notifyFd);
  struct sigaction action{};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signum, &action, nullptr);
}

void ResetProgramStopForTesting() {
  stopRequested.store(false);
  std::uint64_t count = 0;
  const ssize_t got = WakeFd() >= 0 ? read(WakeFd(), &count, sizeof count) : 0;
  (void)got;
}

}  // namespace plimod
