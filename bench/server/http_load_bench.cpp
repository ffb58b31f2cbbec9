// Load benchmark of the HTTP server, before and after a change, side by
// side: wrk with 20 and 200 connections against a static file and against
// the root page, and the time one ordinary GET takes while 50 clients
// trickle their heads. Each server is a bench_http_host process of its own
// on 127.0.0.1. Every request of the current server must be answered with
// 200 or 503, it must still answer afterwards, and it must leave no
// descriptor behind.
//
//   bench_http_server [--before <bench_http_host built from the earlier tree>] [seconds per run, default 3]
//
// bench/server/compare.sh builds the earlier host and runs this.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "tests/support/loopback_client.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using plimod::UniqueFd;
using plimod::test::ConnectLoopback;
using plimod::test::ReadToEnd;
using plimod::test::SendText;

constexpr int kSlowClients = 50;
constexpr int kSlowGetBoundSeconds = 20;

constexpr char kStatusScript[] = R"(
local threads = {}
function setup(thread) table.insert(threads, thread) end
function init(args) ok = 0; busy = 0; other = 0 end
function response(status, headers, body)
  if status == 200 then ok = ok + 1 elseif status == 503 then busy = busy + 1 else other = other + 1 end
end
function done(summary, latency, requests)
  local o, b, x = 0, 0, 0
  for _, t in ipairs(threads) do o = o + t:get("ok"); b = b + t:get("busy"); x = x + t:get("other") end
  local e = summary.errors
  io.write(string.format("RESULT ok=%d busy=%d other=%d connect=%d read=%d write=%d timeout=%d requests=%d us=%d p50=%d p99=%d\n",
    o, b, x, e.connect, e.read, e.write, e.timeout, summary.requests, summary.duration,
    latency:percentile(50), latency:percentile(99)))
end
)";

struct RunResult {
  long ok = 0, busy = 0, other = 0, connect = 0, read = 0, write = 0, timeout = 0, requests = 0;
  long duration_us = 0, p50_us = 0, p99_us = 0;
  bool parsed = false;

  double Rate() const { return duration_us > 0 ? requests * 1e6 / duration_us : 0.0; }
  // Every request wrk completed is a 200 or a 503, and none went unanswered.
  // (wrk counts a body that ends with the connection, as pages do, as a read
  // error even though it completed the response; those are not failures.)
  bool Clean() const {
    return parsed && requests > 0 && other == 0 && ok + busy == requests && timeout == 0 && connect == 0;
  }
};

struct ServerFigures {
  RunResult static20, static200, page20, page200;
  std::optional<double> slow_get_ms;
  bool answers_afterwards = false;
  int descriptors_before = -1, descriptors_after = -2;
};

std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    ::pclose(pipe);
  }
  return out;
}

RunResult RunWrk(const std::string& url, int connections, const std::string& script, int seconds) {
  std::string command = "wrk -t 4 -c " + std::to_string(connections) + " -d " + std::to_string(seconds) +
                        "s --timeout 5s -s " + script + " '" + url + "' 2>&1";
  std::string output = RunCommand(command);
  RunResult r;
  std::smatch m;
  std::regex pattern(
      R"(RESULT ok=(\d+) busy=(\d+) other=(\d+) connect=(\d+) read=(\d+) write=(\d+) timeout=(\d+) requests=(\d+) us=(\d+) p50=(\d+) p99=(\d+))");
  if (std::regex_search(output, m, pattern)) {
    long* fields[] = {&r.ok,      &r.busy,     &r.other,       &r.connect, &r.read,  &r.write,
                      &r.timeout, &r.requests, &r.duration_us, &r.p50_us,  &r.p99_us};
    for (size_t i = 0; i < std::size(fields); ++i) *fields[i] = std::stol(m[i + 1]);
    r.parsed = true;
  } else {
    std::fprintf(stderr, "wrk output not understood:\n%s\n", output.c_str());
  }
  return r;
}

bool ServerStillAnswers(std::uint16_t port) {
  UniqueFd fd = ConnectLoopback(port, 5);
  if (!fd) return false;
  SendText(fd.get(), "HEAD / HTTP/1.0\r\n\r\n");
  return ReadToEnd(fd.get()).rfind("HTTP/1.0 200 OK", 0) == 0;
}

// The milliseconds one GET of a static file takes while 50 clients send a
// header byte every half second; nothing when it is not answered in time.
std::optional<double> TimeGetBesideSlowClients(std::uint16_t port) {
  std::vector<UniqueFd> slow;
  for (int i = 0; i < kSlowClients; ++i) {
    slow.push_back(ConnectLoopback(port, 1));
    SendText(slow.back().get(), "GET /slow.css HTTP/1.0\r\n");
  }
  std::atomic<bool> stop{false};
  std::thread trickle([&slow, &stop] {
    while (!stop) {
      for (UniqueFd& fd : slow) SendText(fd.get(), "x");
      for (int i = 0; i < 10 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const Clock::time_point start = Clock::now();
  UniqueFd fd = ConnectLoopback(port, kSlowGetBoundSeconds);
  std::optional<double> ms;
  if (fd) {
    SendText(fd.get(), "GET /plx.css HTTP/1.0\r\n\r\n");
    const std::string reply = ReadToEnd(fd.get());
    if (reply.rfind("HTTP/1.0 200 OK", 0) == 0) {
      ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
  }
  stop = true;
  trickle.join();
  return ms;
}

// One bench_http_host: started with pipes on its standard input and output.
class Host {
 public:
  bool Start(const std::string& program, const std::string& root) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return false;
    if (::pipe2(out, O_CLOEXEC) != 0) {
      ::close(in[0]);
      ::close(in[1]);
      return false;
    }
    UniqueFd child_in(in[0]), child_out(out[1]);
    stdin_.reset(in[1]);
    stdout_.reset(out[0]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, child_in.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, child_out.get(), STDOUT_FILENO);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(root.c_str()), nullptr};
    const bool spawned = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!spawned) return false;
    const std::string line = ReadOutput(10000);
    unsigned port = 0;
    if (std::sscanf(line.c_str(), "PORT %u", &port) != 1 || port == 0) return false;
    port_ = static_cast<std::uint16_t>(port);
    return true;
  }

  // Closes its input and reads what it reports on the way out.
  void Stop(ServerFigures& figures) {
    stdin_.reset();
    const std::string line = ReadOutput(20000);
    std::sscanf(line.c_str(), "DESCRIPTORS %d %d", &figures.descriptors_before, &figures.descriptors_after);
    Reap();
  }

  ~Host() { Reap(); }
  std::uint16_t Port() const { return port_; }

 private:
  std::string ReadOutput(int timeout_ms) {
    std::string text;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (text.find('\n') == std::string::npos && Clock::now() < deadline) {
      pollfd entry{stdout_.get(), POLLIN, 0};
      if (::poll(&entry, 1, 100) <= 0) continue;
      char buf[256];
      ssize_t n = ::read(stdout_.get(), buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, static_cast<size_t>(n));
    }
    return text;
  }

  void Reap() {
    if (pid_ <= 0) return;
    for (int i = 0; i < 100; ++i) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  UniqueFd stdin_, stdout_;
  std::uint16_t port_ = 0;
};

std::optional<ServerFigures> Measure(const std::string& host_program, const std::string& root,
                                     const std::string& script, int seconds) {
  Host host;
  if (!host.Start(host_program, root)) {
    std::fprintf(stderr, "could not start %s\n", host_program.c_str());
    return std::nullopt;
  }
  const std::string url = "http://127.0.0.1:" + std::to_string(host.Port());
  ServerFigures f;
  f.static20 = RunWrk(url + "/plx.css", 20, script, seconds);
  f.static200 = RunWrk(url + "/plx.css", 200, script, seconds);
  f.page20 = RunWrk(url + "/?mode=epg", 20, script, seconds);
  f.page200 = RunWrk(url + "/?mode=epg", 200, script, seconds);
  f.slow_get_ms = TimeGetBesideSlowClients(host.Port());
  f.answers_afterwards = ServerStillAnswers(host.Port());
  host.Stop(f);
  return f;
}

std::string RunCell(const RunResult* r) {
  if (r == nullptr) return "-";
  if (!r->parsed) return "(wrk failed)";
  char text[96];
  std::snprintf(text, sizeof text, "%8.0f/s p99 %7.1f ms%s", r->Rate(), r->p99_us / 1e3, r->Clean() ? "" : " !");
  return text;
}

std::string SlowCell(const ServerFigures* f) {
  if (f == nullptr) return "-";
  if (!f->slow_get_ms) return "no answer in " + std::to_string(kSlowGetBoundSeconds) + " s";
  char text[64];
  std::snprintf(text, sizeof text, "%.1f ms", *f->slow_get_ms);
  return text;
}

void PrintRow(const char* name, const std::string& before, const std::string& after) {
  std::printf("%-34s %-30s %-30s\n", name, before.c_str(), after.c_str());
}

void PrintTable(const ServerFigures* before, const ServerFigures& after) {
  PrintRow("", "before", "after");
  auto row = [&](const char* name, RunResult ServerFigures::*field) {
    PrintRow(name, RunCell(before ? &(before->*field) : nullptr), RunCell(&(after.*field)));
  };
  row("static file, 20 connections", &ServerFigures::static20);
  row("static file, 200 connections", &ServerFigures::static200);
  row("root page, 20 connections", &ServerFigures::page20);
  row("root page, 200 connections", &ServerFigures::page200);
  PrintRow("GET beside 50 slow clients", SlowCell(before), SlowCell(&after));
  auto descriptors = [](const ServerFigures* f) {
    return f ? std::to_string(f->descriptors_before) + " -> " + std::to_string(f->descriptors_after) : "-";
  };
  PrintRow("descriptors start -> stop", descriptors(before), descriptors(&after));
  std::printf("(\"!\": some request got another status than 200/503, timed out or could not connect)\n");
}

void PrintDetails(const char* label, const ServerFigures& f) {
  const std::pair<const char*, const RunResult*> runs[] = {
      {"static 20", &f.static20}, {"static 200", &f.static200}, {"page 20", &f.page20}, {"page 200", &f.page200}};
  for (const auto& [name, r] : runs) {
    std::printf("%s %-10s requests=%ld (200: %ld, 503: %ld, other: %ld) p50=%.2fms socket errors connect=%ld "
                "read=%ld write=%ld timeout=%ld\n",
                label, name, r->requests, r->ok, r->busy, r->other, r->p50_us / 1e3, r->connect, r->read, r->write,
                r->timeout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string before_host;
  int seconds = 3;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--before") == 0 && i + 1 < argc) {
      before_host = argv[++i];
    } else {
      seconds = std::atoi(argv[i]);
    }
  }
  if (seconds < 1 || seconds > 30) seconds = 3;
  const std::string after_host = (std::filesystem::canonical("/proc/self/exe").parent_path() / "bench_http_host").string();

  auto base = std::filesystem::temp_directory_path() / ("plimod_bench_" + std::to_string(::getpid()));
  auto root = base / "public_html";
  std::filesystem::create_directories(root);
  std::ofstream(root / "plx.css") << std::string(8192, 'x');
  std::ofstream(base / "status.lua") << kStatusScript;
  const std::string script = (base / "status.lua").string();

  std::optional<ServerFigures> before;
  if (!before_host.empty()) before = Measure(before_host, root.string(), script, seconds);
  std::optional<ServerFigures> after = Measure(after_host, root.string(), script, seconds);
  std::filesystem::remove_all(base);
  if (!after) return 2;

  PrintTable(before ? &*before : nullptr, *after);
  if (before) PrintDetails("before", *before);
  PrintDetails("after ", *after);
  const bool ok = after->static20.Clean() && after->static200.Clean() && after->page20.Clean() &&
                  after->page200.Clean() && after->slow_get_ms && after->answers_afterwards &&
                  after->descriptors_before == after->descriptors_after;
  std::printf("%s\n", ok ? "load check passed" : "load check FAILED");
  return ok ? 0 : 1;
}
