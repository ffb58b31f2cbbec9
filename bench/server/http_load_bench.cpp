// Load check of the HTTP server: wrk with 20 concurrent clients against a
// static file and against the root page, on 127.0.0.1 only, for a few
// seconds each. Every request must be answered with 200 or 503, the server
// must still answer afterwards, and no descriptor may be left behind.
//
//   bench_http_server [seconds per run, default 3]
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "platform/file.h"
#include "server/http_config.h"
#include "server/http_server.h"

namespace {

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
};

int CountOpenDescriptors() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}

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

RunResult RunWrk(const std::string& url, const std::string& script, int seconds) {
  std::string command = "wrk -t 4 -c 20 -d " + std::to_string(seconds) + "s --timeout 5s -s " + script +
                        " '" + url + "' 2>&1";
  std::string output = RunCommand(command);
  RunResult r;
  std::smatch m;
  std::regex pattern(
      R"(RESULT ok=(\d+) busy=(\d+) other=(\d+) connect=(\d+) read=(\d+) write=(\d+) timeout=(\d+) requests=(\d+) us=(\d+) p50=(\d+) p99=(\d+))");
  if (std::regex_search(output, m, pattern)) {
    long* fields[] = {&r.ok,    &r.busy,     &r.other,       &r.connect, &r.read,  &r.write,
                      &r.timeout, &r.requests, &r.duration_us, &r.p50_us,  &r.p99_us};
    for (size_t i = 0; i < std::size(fields); ++i) *fields[i] = std::stol(m[i + 1]);
    r.parsed = true;
  } else {
    std::fprintf(stderr, "wrk output not understood:\n%s\n", output.c_str());
  }
  return r;
}

bool ServerStillAnswers(std::uint16_t port) {
  plimod::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  timeval timeout{5, 0};
  ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
  const char request[] = "HEAD / HTTP/1.0\r\n\r\n";
  if (::send(fd.get(), request, sizeof request - 1, MSG_NOSIGNAL) < 0) return false;
  char reply[64] = {};
  return ::recv(fd.get(), reply, sizeof reply - 1, 0) > 0 && std::string(reply).rfind("HTTP/1.0 200 OK", 0) == 0;
}

bool Report(const char* name, const RunResult& r) {
  double seconds = r.duration_us / 1e6;
  std::printf("%-8s requests=%ld (200: %ld, 503: %ld, other: %ld) rate=%.0f/s p50=%.2fms p99=%.2fms "
              "socket errors connect=%ld read=%ld write=%ld timeout=%ld\n",
              name, r.requests, r.ok, r.busy, r.other, seconds > 0 ? r.requests / seconds : 0.0, r.p50_us / 1e3,
              r.p99_us / 1e3, r.connect, r.read, r.write, r.timeout);
  // Every request wrk completed is a 200 or a 503, and none went unanswered.
  // (wrk counts a body that ends with the connection, as pages do, as a read
  // error even though it completed the response; those are not failures.)
  return r.parsed && r.requests > 0 && r.other == 0 && r.ok + r.busy == r.requests && r.timeout == 0 &&
         r.connect == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 3;
  if (seconds < 1 || seconds > 30) seconds = 3;

  auto base = std::filesystem::temp_directory_path() / ("plimod_bench_" + std::to_string(::getpid()));
  auto root = base / "public_html";
  std::filesystem::create_directories(root);
  std::ofstream(root / "plx.css") << std::string(8192, 'x');
  std::ofstream(base / "status.lua") << kStatusScript;

  plimod::UseLoopbackEphemeralPortForTesting();
  plimod::SetDocumentRoot(root.wstring().c_str());
  const int fds_before = CountOpenDescriptors();
  if (!plimod::StartHttpServer()) return 2;
  const std::uint16_t port = plimod::BoundHttpPort();
  const std::string url = "http://127.0.0.1:" + std::to_string(port);
  const std::string script = (base / "status.lua").string();

  bool ok = Report("static", RunWrk(url + "/plx.css", script, seconds));
  ok = Report("page", RunWrk(url + "/?mode=epg", script, seconds)) && ok;
  const bool alive = ServerStillAnswers(port);
  plimod::StopHttpServer();
  const int fds_after = CountOpenDescriptors();
  std::printf("server answers afterwards: %s; descriptors before start %d, after stop %d\n", alive ? "yes" : "no",
              fds_before, fds_after);
  std::filesystem::remove_all(base);
  ok = ok && alive && fds_after == fds_before;
  std::printf("%s\n", ok ? "load check passed" : "load check FAILED");
  return ok ? 0 : 1;
}
