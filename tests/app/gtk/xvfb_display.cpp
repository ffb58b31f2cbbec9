#include "tests/app/gtk/xvfb_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

extern char** environ;

namespace plimod::testing {

namespace {

constexpr int kReadyWaitMs = 20000;

}  // namespace

XvfbDisplay::XvfbDisplay() {
  int ready[2];
  if (pipe(ready) != 0) {
    why_ = "no pipe";
    return;
  }
  fcntl(ready[0], F_SETFD, FD_CLOEXEC);
  std::string fd = std::to_string(ready[1]);
  std::vector<const char*> argv{"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                                "-nolisten", "tcp", "-terminate", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Its output must not hold the test's pipes open should the test die.
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  int error = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv.data()), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(ready[1]);
  if (error != 0) {
    pid_ = -1;
    why_ = std::string("Xvfb could not be started (Debian package xvfb): ") + std::strerror(error);
    close(ready[0]);
    return;
  }
  // Kept open while the server runs: it writes the number and the line end
  // separately, and a closed pipe would make it give up.
  readyFd_ = ready[0];
  std::string number;
  pollfd waiting{readyFd_, POLLIN, 0};
  char c = 0;
  while (number.size() < 16 && poll(&waiting, 1, kReadyWaitMs) == 1 && read(readyFd_, &c, 1) == 1 &&
         c != '\n') {
    number += c;
  }
  if (c == '\n' && !number.empty()) {
    name_ = ":" + number;
  } else {
    why_ = "Xvfb did not report a display";
  }
}

XvfbDisplay::~XvfbDisplay() {
  if (readyFd_ >= 0) close(readyFd_);
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 500; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) != 0) return;
    usleep(10000);
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

}  // namespace plimod::testing
