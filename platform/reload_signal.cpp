#include "platform/reload_signal.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace plimod {

int CatchReloadSignal() {
  sigset_t hangup;
  sigemptyset(&hangup);
  sigaddset(&hangup, SIGHUP);
  sigset_t before;
  if (::pthread_sigmask(SIG_BLOCK, &hangup, &before) != 0) return -1;
  const int fd = ::signalfd(-1, &hangup, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd < 0) ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return fd;
}

void TakeReloadSignals(int fd) {
  signalfd_siginfo info;
  while (::read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
  }
}

}  // namespace plimod
