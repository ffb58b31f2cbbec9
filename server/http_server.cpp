#include "server/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/message_box.h"
#include "platform/system_time.h"
#include "server/connection.h"
#include "server/http_request_handler.h"
#include "server/http_request_head.h"
#include "server/page_reply.h"
#include "util/log.h"

namespace plimod {

namespace {

constexpr int kListenBacklog = 64;
constexpr int kStartPolls = 50;
constexpr int kStopPolls = 50;
constexpr std::uint32_t kWorkerStopMs = 5000;
// The accept loop re-checks its stop flag at least this often.
constexpr int kAcceptWaitMs = 1000;

// Shared by the listening thread and the start/stop calls; the thread holds
// its own reference, so a thread that overruns the stop wait stays safe.
struct ListenerState {
  ListenerSetup setup;
  UniqueFd wake;  // eventfd: written to end the accept wait
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
  // Non-blocking, so a client that leaves between poll and accept cannot
  // stall the loop; accepted sockets block (bounded by their time-outs).
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

void HandleConnection(UniqueFd socket, const sockaddr_in& peer, const ListenerSetup& setup) {
  RequestContext context;
  char dotted[INET_ADDRSTRLEN] = "";
  ::inet_ntop(AF_INET, &peer.sin_addr, dotted, sizeof dotted);
  context.peer = dotted;
  ScopedRequestContext scope(context);
  const HttpConfig& config = setup.config;
  PrepareConnection(socket.get(), config.io_timeout_ms);

  std::string received = ReceiveRequestHead(socket.get(), kRequestBufferSize, config.head_timeout_ms);
  ReplyWriter out(socket.get());
  if (received.size() >= kRequestBufferSize) {
    SendErrorText(out, "buffer overflow");
    LogRequest("buffer overflow");
  } else if (LeadingPrintableRun(received) > kMaxRequestLineRun) {
    SendErrorText(out, "buffer overflow");
    LogRequest("header length error");
  } else if (HandleHttpRequest(socket, received, context, peer.sin_addr.s_addr, setup) == 1) {
    return;
  }
  CloseConnection(socket, config.drain_timeout_ms);
}

// Waits for a connection or the stop wake-up; false when the loop should end.
bool WaitForConnection(int listen_fd, int wake_fd) {
  pollfd entries[2] = {{listen_fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
  int ready = ::poll(entries, 2, kAcceptWaitMs);
  if (ready < 0 && errno != EINTR) return false;
  return true;
}

void AcceptLoop(int listen_fd, ListenerState& state) {
  while (!state.stop) {
    if (!WaitForConnection(listen_fd, state.wake.get())) break;
    if (state.stop) break;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    int fd = ::accept4(listen_fd, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (fd < 0) {
      // Nothing pending, a client that gave up, or out of descriptors for a
      // moment: none of these ends the server.
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) SleepMs(100);
      continue;
    }
    HandleConnection(UniqueFd(fd), peer, state.setup);
  }
}

int HttpServerThread(ListenerState& state) {
  LogWrite("httpdスレッド起動\n");
  std::uint16_t port = 0;
  UniqueFd listen_fd = OpenListeningSocket(state.setup.config, port);
  if (!listen_fd) return 1;
  state.port = port;
  state.listening = true;
  AcceptLoop(listen_fd.get(), state);
  LogWrite("httpdスレッド終了\n");
  return 0;
}

}  // namespace

bool StartHttpServer() {
  StopHttpServer();
  auto state = std::make_shared<ListenerState>();
  state->setup.config = GetHttpConfig();
  state->setup.networks = ReadLocalNetworks();
  state->wake.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  bool started = state->wake.valid() && StartCgiWorker(state->setup.config.drain_timeout_ms);
  state->setup.worker = CurrentCgiWorker();

  std::thread thread;
  if (started) {
    thread = std::thread([state] {
      state->result = HttpServerThread(*state);
      state->finished = true;
    });
    for (int poll = 0; poll < kStartPolls && !state->listening && !state->finished; ++poll) SleepMs(100);
  }
  if (!state->listening) {
    if (thread.joinable()) {
      state->stop = true;
      thread.join();
    }
    StopCgiWorker(kWorkerStopMs);
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
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = ::write(server.state->wake.get(), &one, sizeof one);
  for (int poll = 0; poll < kStopPolls && !server.state->finished; ++poll) SleepMs(100);
  if (server.state->finished) {
    server.thread.join();
  } else {
    server.thread.detach();
  }
  StopCgiWorker(kWorkerStopMs);
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
