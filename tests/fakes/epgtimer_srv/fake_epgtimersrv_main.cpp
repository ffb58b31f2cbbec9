// The test reservation server as a program of its own (the demo's
// recorder): serves until SIGTERM or SIGINT.
//   fake_epgtimersrv [--pipe NAME] [--event NAME] [--parent PID]
// The pipe is made in EPGTIMER_PIPE_DIR (or /tmp). Prints "ready" once it
// accepts connections. With --parent it also stops when that process, its
// parent, ends (the demo starts it from the shell that becomes the program).

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/fakes/epgtimer_srv/fake_epgtimer_srv.h"

int main(int argc, char** argv) {
  std::string pipe = "EpgTimerSrvPipe";
  std::string event = "EpgTimerSrvConnect";
  long parent = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--pipe") == 0) pipe = argv[i + 1];
    if (std::strcmp(argv[i], "--event") == 0) event = argv[i + 1];
    if (std::strcmp(argv[i], "--parent") == 0) parent = std::strtol(argv[i + 1], nullptr, 10);
  }
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);  // the serving thread inherits it
  signal(SIGPIPE, SIG_IGN);
  if (parent > 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) return 0;  // it ended before the request took hold
  }

  plimod::test::FakeEpgTimerSrv server(pipe, event);
  if (!server.Start()) {
    std::fprintf(stderr, "fake_epgtimersrv: cannot listen on %s\n", pipe.c_str());
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  int received = 0;
  sigwait(&stopSignals, &received);
  server.Stop();
  return 0;
}
