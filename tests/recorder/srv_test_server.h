#pragma once
// A test reservation server in a temporary pipe folder, with names of its
// own so tests running at the same time never meet, and a client for it.

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "platform/named_event.h"
#include "platform/program_stop.h"
#include "tests/fakes/epgtimer_srv/fake_epgtimer_srv.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {

// A name no other test process uses (the event is machine-wide).
inline std::string UniqueSrvName(const char* what) {
  static std::atomic<int> counter{0};
  return std::string("plimodtest.") + what + "." + std::to_string(::getpid()) + "." +
         std::to_string(++counter);
}

// How long `command` ran on a thread of its own. One still running after
// `bound` is ended by the program's stop, which every wait of the clients
// heeds, so a client that would wait for good fails the test instead of
// hanging it.
template <class Command>
std::chrono::steady_clock::duration TimeCommand(Command command, std::chrono::milliseconds bound) {
  const auto start = std::chrono::steady_clock::now();
  std::future<std::chrono::steady_clock::time_point> end = std::async(std::launch::async, [&command] {
    command();
    return std::chrono::steady_clock::now();
  });
  if (end.wait_for(bound) != std::future_status::ready) RequestProgramStop();
  const auto took = end.get() - start;
  ClearProgramStop();
  return took;
}

class SrvTestServer {
 public:
  SrvTestServer()
      : folder_("srv"),
        pipeDir_("EPGTIMER_PIPE_DIR", folder_.Path().c_str()),
        pipeName_("pipe"),
        eventName_(UniqueSrvName("event")),
        server_(pipeName_, eventName_) {}
  ~SrvTestServer() {
    server_.Stop();
    NamedEvent::Remove(eventName_);
  }

  bool Start() { return server_.Start(); }
  FakeEpgTimerSrv& server() { return server_; }
  const std::string& pipeName() const { return pipeName_; }
  const std::string& eventName() const { return eventName_; }
  const TempFolder& folder() const { return folder_; }

 private:
  TempFolder folder_;
  ScopedEnv pipeDir_;
  std::string pipeName_;
  std::string eventName_;
  FakeEpgTimerSrv server_;
};

// A test server under the names the program's clients use (EpgTimerSrvPipe,
// EpgTimerSrvConnect), kept apart from other tests by the pipe folder and
// an event-name prefix of its own.
class ProgramSrvTestServer {
 public:
  ProgramSrvTestServer()
      : folder_("srv"),
        pipeDir_("EPGTIMER_PIPE_DIR", folder_.Path().c_str()),
        prefix_("EPGTIMER_EVENT_PREFIX", UniqueSrvName("prefix").c_str()),
        server_("EpgTimerSrvPipe", "EpgTimerSrvConnect") {}
  ~ProgramSrvTestServer() { server_.Stop(); }

  bool Start() { return server_.Start(); }
  FakeEpgTimerSrv& server() { return server_; }

 private:
  TempFolder folder_;
  ScopedEnv pipeDir_;
  ScopedEnv prefix_;
  FakeEpgTimerSrv server_;
};

}  // namespace plimod::test
