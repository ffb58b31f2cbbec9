// The test reservation server as a program of its own (the demo's
// recorder): serves until SIGTERM or SIGINT.
//   fake_epgtimersrv [--pipe NAME] [--event NAME] [--parent PID] [--folder DIR]
//                    [--delay-ms MS] [--refuse-title TEXT] [--empty-records N]
//                    [--print-requests 1]
// The pipe is made in EPGTIMER_PIPE_DIR, and the event's name takes
// EPGTIMER_EVENT_PREFIX unless --event names it: without them it would take
// the names every real client on the machine looks for, so it refuses.
// Prints "ready" once it accepts connections. With --parent it also stops
// when that process, its parent, ends (the demo starts it from the shell
// that becomes the program). With --folder it keeps its reservations in
// DIR/Reserve.txt, read back at start. With --delay-ms every reply is held
// back that long. With --refuse-title every add of a row whose title
// contains TEXT (UTF-8) is refused with an error code, and a list add
// holding such a row is refused whole. With --empty-records the reservation
// list answers N empty records (4 bytes each, their size alone, in the
// newer command set; a text length of 0 in each step of the older set's
// walk) in place of the reservations, a load for benches. With
// --print-requests 1 it prints "request <connection> <command>" as each
// request comes.

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/text_codec.h"
#include "tests/fakes/epgtimer_srv/fake_epgtimer_srv.h"

namespace {

constexpr char kUsage[] =
    "usage: fake_epgtimersrv [--pipe NAME] [--event NAME] [--parent PID] [--folder DIR]\n"
    "                        [--delay-ms MS] [--refuse-title TEXT] [--empty-records N]\n"
    "                        [--print-requests 1]\n"
    "  EPGTIMER_PIPE_DIR (the pipe's folder) must be set, and EPGTIMER_EVENT_PREFIX\n"
    "  unless --event is given.\n";

struct Options {
  std::string pipe = "EpgTimerSrvPipe";
  std::string event = "EpgTimerSrvConnect";
  bool eventGiven = false;
  long parent = 0;
  std::string folder;
  unsigned long delayMs = 0;
  std::string refuseTitle;
  unsigned long emptyRecords = 0;
  bool printRequests = false;
};

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// False on an unknown option or one without its value.
bool ReadOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 >= argc) return false;
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--pipe") {
      options.pipe = value;
    } else if (name == "--event") {
      options.event = value;
      options.eventGiven = true;
    } else if (name == "--parent") {
      options.parent = std::strtol(value, nullptr, 10);
    } else if (name == "--folder") {
      options.folder = value;
    } else if (name == "--delay-ms") {
      options.delayMs = std::strtoul(value, nullptr, 10);
    } else if (name == "--refuse-title") {
      options.refuseTitle = value;
    } else if (name == "--empty-records") {
      options.emptyRecords = std::strtoul(value, nullptr, 10);
    } else if (name == "--print-requests") {
      options.printRequests = std::strcmp(value, "0") != 0;
    } else {
      return false;
    }
  }
  return IsSet("EPGTIMER_PIPE_DIR") && (options.eventGiven || IsSet("EPGTIMER_EVENT_PREFIX"));
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ReadOptions(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);  // the serving thread inherits it
  signal(SIGPIPE, SIG_IGN);
  if (options.parent > 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != options.parent) return 0;  // it ended before the request took hold
  }

  plimod::test::FakeEpgTimerSrv server(options.pipe, options.event);
  if (!options.folder.empty()) server.KeepReservationsIn(options.folder);
  server.DelayEveryReply(static_cast<std::uint32_t>(options.delayMs));
  server.RefuseTitle(plimod::Utf8ToWide(options.refuseTitle));
  server.PrintRequests(options.printRequests);
  if (options.emptyRecords > 0) {
    plimod::test::FakeSrvState state = server.State();
    state.emptyRecords = static_cast<std::uint32_t>(options.emptyRecords);
    server.SetState(std::move(state));
  }
  if (!server.Start()) {
    std::fprintf(stderr, "fake_epgtimersrv: cannot listen on %s\n", options.pipe.c_str());
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  int received = 0;
  sigwait(&stopSignals, &received);
  server.Stop();
  return 0;
}
