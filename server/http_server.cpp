#include "server/http_server.h"

#include <malloc.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/message_box.h"
#include "platform/system_time.h"
#include "server/listener_loop.h"
#include "server/page_hooks.h"
#include "util/log.h"

namespace plimod {

namespace {

// Room for a burst of clients while the loop takes them.
constexpr int kListenBacklog = 512;
constexpr int kStartPolls = 50;
constexpr int kStopPolls = 50;
constexpr std::uint32_t kWorkerStopMs = 5000;
// Blocks from this size up are mapped on their own and unmapped when freed.
constexpr int kOwnMappingBytes = 1 << 20;

// Shared by the listening thread and the start/stop calls; the thread holds
// its own reference, so a thread that overruns the stop wait stays safe.
struct ListenerState {
  ListenerSetup setup;
  // eventfd written to end the loop's wait: at stop, and when a worker puts
  // a reply in the inbox. Shared with the workers, which may outlive this state.
  std::shared_ptr<UniqueFd> wake;
  std::atomic<bool> stop{false};
  std::atomic<bool> listening{false};
  std::atomic<bool> finished{false};
  std::atomic<std::uint16_t> port{0};
  int result = 0;
};

struct Server {
  std::shared_ptr<ListenerState> state;
  std::thread thread;
};

std::mutex g_mutex;
Server g_server;

UniqueFd OpenListeningSocket(const HttpConfig& config, std::uint16_t& bound_port) {
  // Non-blocking, so a client that leaves between the wait and accept
  // cannot stall the loop.
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd) return fd;
  int on = 1;
  // A restart binds at once instead of waiting out TIME_WAIT.
  ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(config.port);
  address.sin_addr.s_addr = htonl(config.bind_address);
  if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.get(), kListenBacklog) != 0) {
    return UniqueFd();
  }
  socklen_t length = sizeof address;
  ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length);
  bound_port = ntohs(address.sin_port);
  return fd;
}

int HttpServerThread(ListenerState& state) {
  LogWrite("httpdスレッド起動\n");
  std::uint16_t port = 0;
  UniqueFd listen_fd = OpenListeningSocket(state.setup.config, port);
  if (!listen_fd) return 1;
  state.port = port;
  if (!RunListenerLoop(listen_fd.get(), state.wake->get(), state.stop, state.listening, state.setup)) return 1;
  LogWrite("httpdスレッド終了\n");
  return 0;
}

}  // namespace

bool StartHttpServer() {
  StopHttpServer();
  // Pages of many megabytes are written on a worker's thread and freed on
  // the listener's once sent. By default the allocator raises its mapping
  // threshold to each mapped block freed (up to 32 MiB), so later pages
  // come from its heaps, which it keeps: the process would stay at the
  // size of its largest pages. A fixed threshold maps each large page on
  // its own and gives it back when it is sent.
  ::mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes);
  auto state = std::make_shared<ListenerState>();
  state->setup.config = GetHttpConfig();
  state->setup.networks = ReadLocalNetworks();
  state->wake = std::make_shared<UniqueFd>(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  bool started = state->wake->valid() && StartCgiWorker();
  state->setup.worker = CurrentCgiWorker();
  state->setup.mobile_worker = std::make_shared<CgiWorker>(RunMobilePageHandler, false);
  started = started && state->setup.mobile_worker->Start();
  state->setup.inbox = std::make_shared<ReplyInbox>(state->wake);
  auto deliver = [inbox = state->setup.inbox](std::uint64_t connection, std::string reply) {
    inbox->Put(connection, std::move(reply));
  };
  if (state->setup.worker) state->setup.worker->SetOnDone(deliver);
  state->setup.mobile_worker->SetOnDone(deliver);

  std::thread thread;
  if (started) {
    thread = std::thread([state] {
      state->result = HttpServerThread(*state);
      state->finished = true;
    });
    const auto ready = [&state] { return state->listening || state->finished; };
    for (int poll = 0; poll < kStartPolls && !ready(); ++poll) SleepMsUnless(100, ready);
  }
  if (!state->listening) {
    if (thread.joinable()) {
      state->stop = true;
      thread.join();
    }
    StopCgiWorker(kWorkerStopMs);
    state->setup.mobile_worker->Stop(kWorkerStopMs);
    LogWrite("httpdスレッドエラー終了\n");
    ShowMessageBox(L"HTTPサーバの起動に失敗しました");
    return false;
  }
  std::lock_guard lock(g_mutex);
  g_server.state = std::move(state);
  g_server.thread = std::move(thread);
  return true;
}

void StopHttpServer() {
  Server server;
  {
    std::lock_guard lock(g_mutex);
    std::swap(server, g_server);
  }
  if (!server.state) return;
  server.state->stop = true;
  WakeListener(*server.state->wake);
  for (int poll = 0; poll < kStopPolls && !server.state->finished; ++poll) SleepMs(100);
  if (server.state->finished) {
    server.thread.join();
  } else {
    server.thread.detach();
  }
  StopCgiWorker(kWorkerStopMs);
  server.state->setup.mobile_worker->Stop(kWorkerStopMs);
}

bool HttpServerRunning() {
  std::lock_guard lock(g_mutex);
  return g_server.state != nullptr;
}

std::uint16_t BoundHttpPort() {
  std::lock_guard lock(g_mutex);
  return g_server.state ? g_server.state->port.load() : 0;
}

}  // namespace plimod
