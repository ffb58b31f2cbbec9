// Runs the built program in a folder of its own (PLIMOD_HOME) on EPG data
// made by the project's writer, and talks to it as a user and the system
// would: HTTP on 127.0.0.1, a second start, signals.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/text_codec.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kBin = PLIMOD_BINARY_DIR "/bin";

int FreeLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs a command line and returns what it printed.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

class ProgramHome {
 public:
  explicit ProgramHome(bool watchFolder) : port_(FreeLoopbackPort()) {
    char pattern[] = "/tmp/plimod-run-XXXXXX";
    home_ = mkdtemp(pattern);
    fs::copy_file(kBin / "EpgDataCap2.so", home_ / "EpgDataCap2.so");
    fs::create_directories(home_ / "public_html");
    std::ofstream(home_ / "public_html" / "ping.txt") << "pong";
    fs::create_directories(EpgFolder());
    std::string writer = (kBin / "epgwriter").string() + " --demo " + EpgFolder().string();
    writerStatus_ = std::system((writer + " >/dev/null").c_str());
    WriteSettings(watchFolder);
  }
  ~ProgramHome() { fs::remove_all(home_); }

  fs::path EpgFolder() const { return home_ / "epg"; }
  int Port() const { return port_; }
  bool HasEpgData() const {
    if (writerStatus_ != 0) return false;
    for (const auto& entry : fs::directory_iterator(EpgFolder())) {
      if (entry.path().string().ends_with("_epg.dat")) return true;
    }
    return false;
  }

  pid_t Start(std::vector<std::string> arguments = {}) const {
    std::string program = (kBin / "plimod").string();
    std::vector<std::string> env = {"PLIMOD_HOME=" + home_.string(), "TZ=Asia/Tokyo",
                                    "LC_ALL=C.UTF-8", "PATH=/usr/bin:/bin"};
    for (char** e = environ; *e != nullptr; ++e) {
      if (std::string(*e).starts_with("ASAN_OPTIONS=") ||
          std::string(*e).starts_with("UBSAN_OPTIONS=")) {
        env.push_back(*e);
      }
    }
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv, envp;
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
      return -1;
    }
    return pid;
  }

  // The log as UTF-8 text (the file is CP932).
  std::string Log() const {
    return plimod::WideToUtf8String(plimod::Cp932ToWide(ReadFile(home_ / "lumo.log")));
  }

  bool WaitForLog(const std::string& text, std::chrono::seconds bound = 20s) const {
    auto end = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < end) {
      if (Log().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  std::string Fetch(const std::string& path) const {
    return Output("curl -s --max-time 10 http://127.0.0.1:" + std::to_string(port_) + path);
  }

  // A new data file, copied from one the writer made; returns its name.
  std::string AddEpgFile(const std::string& name) const {
    for (const auto& entry : fs::directory_iterator(EpgFolder())) {
      if (entry.path().string().ends_with("_epg.dat")) {
        fs::copy_file(entry.path(), home_ / name);
        fs::rename(home_ / name, EpgFolder() / name);
        return name;
      }
    }
    return "";
  }

 private:
  void WriteSettings(bool watchFolder) const {
    std::wstring text = L"[SYSTEM]\r\nLOG=1\r\nEPGDATACHECKCHANGES=" +
                        std::to_wstring(watchFolder ? 1 : 0) + L"\r\nHTTPPORT=" +
                        std::to_wstring(port_) + L"\r\nEPGDATAFOLDER=" +
                        plimod::Utf8ToWide(EpgFolder().string()) + L"/\r\n";
    std::ofstream(home_ / "plimo.ini", std::ios::binary)
        << "\xFF\xFE" << plimod::WideToUtf16Le(text);
  }

  fs::path home_;
  int port_;
  int writerStatus_ = -1;
};

// The exit status, or nothing when the process did not end within `bound`.
std::optional<int> WaitForExit(pid_t pid, std::chrono::seconds bound) {
  auto end = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(20ms);
  }
  return std::nullopt;
}

// The program's single-instance name is machine-wide: runs of these tests
// from other build folders wait for each other through this lock.
class MachineWideLock {
 public:
  MachineWideLock() : fd_(open("/tmp/plimod-run-test.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    auto end = std::chrono::steady_clock::now() + 90s;
    while (fd_ >= 0 && std::chrono::steady_clock::now() < end) {
      if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        held_ = true;
        return;
      }
      std::this_thread::sleep_for(100ms);
    }
  }
  ~MachineWideLock() {
    if (fd_ >= 0) close(fd_);
  }
  bool Held() const { return held_; }

 private:
  int fd_;
  bool held_ = false;
};

// Ends the program when a check failed before it was stopped.
struct Running {
  pid_t pid;
  ~Running() {
    if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

std::string LastLine(const std::string& log) {
  std::size_t end = log.find_last_not_of('\n');
  if (end == std::string::npos) return "";
  std::size_t start = log.rfind('\n', end);
  return log.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

void ExpectCleanEnd(const ProgramHome& home, pid_t pid, int signal) {
  ASSERT_EQ(kill(pid, signal), 0);
  std::optional<int> status = WaitForExit(pid, 30s);
  ASSERT_TRUE(status) << "did not end after signal " << signal;
  ASSERT_TRUE(WIFEXITED(*status)) << "status " << *status;
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  std::string last = LastLine(home.Log());
  EXPECT_TRUE(last.ends_with(": lumod終了")) << last;
}

TEST(PlimodRunTest, ServesLoadsReloadsForASecondStartAndSighupAndEndsOnSigterm) {
  MachineWideLock lock;
  ASSERT_TRUE(lock.Held());
  ProgramHome home(false);
  ASSERT_TRUE(home.HasEpgData());
  Running first{home.Start()};
  ASSERT_GT(first.pid, 0);

  ASSERT_TRUE(home.WaitForLog("lumod起動")) << "another plimod may hold the single-instance name";
  ASSERT_TRUE(home.WaitForLog("EPGデータ読み込み:")) << home.Log();
  EXPECT_NE(home.Log().find("WM_TIMER"), std::string::npos);
  EXPECT_EQ(home.Fetch("/ping.txt"), "pong");

  // A second start hands a reload to the first and ends at once.
  std::string added = home.AddEpgFile("7FE00001_epg.dat");
  pid_t second = home.Start();
  std::optional<int> status = WaitForExit(second, 10s);
  ASSERT_TRUE(status);
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  EXPECT_TRUE(home.WaitForLog("EPGデータ読み込み:" + added)) << home.Log();

  // SIGHUP reloads as well.
  added = home.AddEpgFile("7FE00002_epg.dat");
  ASSERT_EQ(kill(first.pid, SIGHUP), 0);
  EXPECT_TRUE(home.WaitForLog("EPGデータ読み込み:" + added)) << home.Log();
  EXPECT_EQ(waitpid(first.pid, nullptr, WNOHANG), 0);  // still running

  ExpectCleanEnd(home, first.pid, SIGTERM);
}

TEST(PlimodRunTest, WatchedFolderLoadsNewFilesAndInterruptEndsCleanly) {
  MachineWideLock lock;
  ASSERT_TRUE(lock.Held());
  ProgramHome home(true);
  ASSERT_TRUE(home.HasEpgData());
  Running program{home.Start({"0"})};
  ASSERT_GT(program.pid, 0);
  ASSERT_TRUE(home.WaitForLog("EPGデータフォルダ監視スレッド起動")) << home.Log();
  ASSERT_TRUE(home.WaitForLog("EPGデータ読み込み:")) << home.Log();

  // The watch begins after its first load; a file written before that is
  // not seen, so a few files are offered one after another.
  bool seen = false;
  for (int attempt = 0; attempt < 5 && !seen; ++attempt) {
    std::string added = home.AddEpgFile("7FE0010" + std::to_string(attempt) + "_epg.dat");
    seen = home.WaitForLog("EPGデータ読み込み:" + added, 4s);
  }
  EXPECT_TRUE(seen) << home.Log();
  EXPECT_EQ(home.Fetch("/ping.txt"), "pong");

  ExpectCleanEnd(home, program.pid, SIGINT);
}

}  // namespace
