// startup_bench [RUNS]: starts the built program RUNS times (default 7) in a
// home of its own (PLIMOD_HOME) on the demo EPG folder and reports how long
// each start takes until a programme table page shows the demo's channels:
// the start-up, the first load and the page together. Run it inside
// /work/isolated: the program's single-instance socket is machine-wide.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/text_codec.h"
#include "tests/support/loopback_client.h"
#include "tools/epgwriter/demo_data.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kDaySeconds = 86400;
constexpr std::int64_t kJapanOffset = 9 * 3600;
constexpr auto kGiveUp = std::chrono::seconds(20);
// A channel of the demo that the page lists once the store is loaded.
constexpr const char* kLoadedMark = "みなとテレビ総合";

fs::path ProgramFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

// The whole reply to one GET, empty when nothing listens yet.
std::string Get(int port, const std::string& path) {
  const plimod::UniqueFd fd = plimod::test::ConnectLoopback(static_cast<std::uint16_t>(port));
  if (!fd) return {};
  plimod::test::SendText(fd.get(), "GET " + path + " HTTP/1.0\r\n\r\n");
  return plimod::test::ReadToEnd(fd.get());
}

void WriteSettings(const fs::path& home, int port) {
  const std::wstring text = L"[SYSTEM]\r\nHTTPPORT=" + std::to_wstring(port) +
                            L"\r\nEPGDATAFOLDER=" + plimod::Utf8ToWide((home / "epg").string()) +
                            L"/\r\n";
  std::ofstream(home / "plimo.ini", std::ios::binary) << "\xFF\xFE" << plimod::WideToUtf16Le(text);
}

pid_t StartProgram(const fs::path& home) {
  const std::string program = (ProgramFolder() / "plimod").string();
  std::vector<std::string> env = {"PLIMOD_HOME=" + home.string(), "TZ=Asia/Tokyo",
                                  "LC_ALL=C.UTF-8", "PATH=/usr/bin:/bin"};
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
  return pid;
}

// Milliseconds from the start to the first page with the demo's channels;
// a negative value when it did not come.
double OneStart(const fs::path& home, int port) {
  const auto start = Clock::now();
  const pid_t pid = StartProgram(home);
  if (pid < 0) return -1;
  double ms = -1;
  while (Clock::now() - start < kGiveUp) {
    if (Get(port, "/?mode=epg").find(kLoadedMark) != std::string::npos) {
      ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  char pattern[] = "/tmp/plimod-startup-bench-XXXXXX";
  const fs::path home = mkdtemp(pattern);
  fs::copy_file(ProgramFolder() / "EpgDataCap2.so", home / "EpgDataCap2.so");
  fs::create_directories(home / "epg");
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) + kJapanOffset;
  std::string error;
  if (!epgwriter::WriteDemoFolder((home / "epg").string(), now / kDaySeconds * kDaySeconds, now, 1,
                                  error)) {
    std::fprintf(stderr, "writer: %s\n", error.c_str());
    return 1;
  }
  const int port = FreeLoopbackPort();
  WriteSettings(home, port);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double ms = OneStart(home, port);
    if (ms < 0) {
      std::fprintf(stderr, "startup_bench: no page with programmes within %lld s\n",
                   static_cast<long long>(kGiveUp.count()));
      fs::remove_all(home);
      return 1;
    }
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  std::printf("first page with programmes after start (demo store): least %.0f ms, median %.0f ms "
              "over %d starts\n",
              times.front(), times[times.size() / 2], runs);
  fs::remove_all(home);
  return 0;
}
