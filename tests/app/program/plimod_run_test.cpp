// Runs the built program in a folder of its own (PLIMOD_HOME) on EPG data
// made by the project's writer, and talks to it as a user and the system
// would: HTTP on 127.0.0.1, a second start, signals.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "tests/support/loopback_client.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"
#include "tests/support/child_process.h"
#include "tests/support/fake_calendar.h"
#include "tests/support/fake_remote_server.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_home.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using plimod::test::ProgramHome;
using plimod::test::WaitForExit;

// A home whose folder watch is on or off, serving public_html/ping.txt.
class RunHome : public ProgramHome {
 public:
  explicit RunHome(bool watchFolder, const std::wstring& sections = L"")
      : ProgramHome("plimod-run", L"EPGDATACHECKCHANGES=" + std::to_wstring(watchFolder ? 1 : 0) + L"\r\n" + sections) {
    fs::create_directories(Path() / "public_html");
    std::ofstream(Path() / "public_html" / "ping.txt") << "pong";
  }
};

// A new data file, copied from one the writer made; returns its name.
std::string AddEpgFile(const ProgramHome& home, const std::string& name) {
  for (const auto& entry : fs::directory_iterator(home.EpgFolder())) {
    if (entry.path().string().ends_with("_epg.dat")) {
      fs::copy_file(entry.path(), home.Path() / name);
      fs::rename(home.Path() / name, home.EpgFolder() / name);
      return name;
    }
  }
  return "";
}

// The program's single-instance name is one per network namespace: runs of
// these tests from other build folders in the same namespace wait for each
// other through this lock, as long as a busy machine may keep them waiting.
std::string InstanceLockPath() {
  char ns[64] = {};
  const ssize_t n = readlink("/proc/self/ns/net", ns, sizeof ns - 1);
  std::string id;
  for (ssize_t i = 0; i < n; ++i) {
    if (ns[i] >= '0' && ns[i] <= '9') id += ns[i];
  }
  return "/tmp/plimod-run-test" + id + ".lock";
}

class InstanceNameLock {
 public:
  InstanceNameLock() : fd_(open(InstanceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    auto end = std::chrono::steady_clock::now() + 240s;
    while (fd_ >= 0 && std::chrono::steady_clock::now() < end) {
      if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        held_ = true;
        return;
      }
      std::this_thread::sleep_for(100ms);
    }
  }
  ~InstanceNameLock() {
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

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// Polls `ready` until it holds or `bound` has passed.
template <typename Ready>
bool Within(std::chrono::seconds bound, Ready ready) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(100ms);
  }
  return true;
}

// The CPU time the process has used so far.
std::chrono::milliseconds CpuTime(pid_t pid) {
  const std::string stat = plimod::test::ReadFileBytes("/proc/" + std::to_string(pid) + "/stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 1));
  std::string skipped;
  for (int field = 3; field < 14; ++field) fields >> skipped;
  long user = 0;
  long system = 0;
  fields >> user >> system;
  return std::chrono::milliseconds((user + system) * 1000 / sysconf(_SC_CLK_TCK));
}

void ExpectCleanEnd(const ProgramHome& home, pid_t pid, int signal,
                    std::chrono::milliseconds bound = 30s) {
  ASSERT_EQ(kill(pid, signal), 0);
  std::optional<int> status = WaitForExit(pid, bound);
  ASSERT_TRUE(status) << "did not end after signal " << signal;
  ASSERT_TRUE(WIFEXITED(*status)) << "status " << *status;
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  std::string last = LastLine(home.Log());
  EXPECT_TRUE(last.ends_with(": lumod終了")) << last;
}

TEST(PlimodRunTest, ServesLoadsReloadsForASecondStartAndSighupAndEndsOnSigterm) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  RunHome home(false);
  ASSERT_TRUE(home.HasEpgData());
  Running first{home.Start()};
  ASSERT_GT(first.pid, 0);

  ASSERT_TRUE(home.WaitForLog("lumod起動")) << "another plimod may hold the single-instance name";
  ASSERT_TRUE(home.WaitForLog("EPGデータ読み込み:")) << home.Log();
  EXPECT_NE(home.Log().find("WM_TIMER"), std::string::npos);
  EXPECT_EQ(home.Fetch("/ping.txt"), "pong");

  // A second start hands a reload to the first and ends at once.
  std::string added = AddEpgFile(home, "7FE00001_epg.dat");
  pid_t second = home.Start();
  std::optional<int> status = WaitForExit(second, 10s);
  ASSERT_TRUE(status);
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  EXPECT_TRUE(home.WaitForLog("EPGデータ読み込み:" + added)) << home.Log();

  // SIGHUP reloads as well, once: the program then idles (a signal left
  // pending would keep its loop reloading at a whole core).
  added = AddEpgFile(home, "7FE00002_epg.dat");
  ASSERT_EQ(kill(first.pid, SIGHUP), 0);
  EXPECT_TRUE(home.WaitForLog("EPGデータ読み込み:" + added)) << home.Log();
  const auto cpuBefore = CpuTime(first.pid);
  const auto watchedFrom = std::chrono::steady_clock::now();
  EXPECT_FALSE(Within(2s, [&home] { return CountOf(home.Log(), "WM_TIMER") > 3; })) << home.Log();
  EXPECT_LT(CpuTime(first.pid) - cpuBefore, (std::chrono::steady_clock::now() - watchedFrom) / 2);
  EXPECT_EQ(waitpid(first.pid, nullptr, WNOHANG), 0);  // still running
  // Three loads made the icon busy and idle again; only its creation is logged.
  EXPECT_EQ(CountOf(home.Log(), ": tray icon "), 1u) << home.Log();

  ExpectCleanEnd(home, first.pid, SIGTERM);
}

TEST(PlimodRunTest, SighupsDuringTheEndAreIgnored) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  RunHome home(false);
  Running program{home.Start()};
  ASSERT_GT(program.pid, 0);
  ASSERT_TRUE(home.WaitForLog("EPGデータ読み込み:")) << home.Log();
  // SIGHUP after SIGHUP from SIGTERM on, until the program is gone: one
  // lands after the main loop has ended.
  ASSERT_EQ(kill(program.pid, SIGTERM), 0);
  int status = 0;
  pid_t ended = 0;
  const auto until = std::chrono::steady_clock::now() + 10s;
  while ((ended = waitpid(program.pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < until) {
    kill(program.pid, SIGHUP);
    std::this_thread::sleep_for(100us);
  }
  ASSERT_EQ(ended, program.pid) << "did not end within 10 s";
  program.pid = 0;
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(PlimodRunTest, WatchedFolderLoadsNewFilesAndInterruptEndsCleanly) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  RunHome home(true);
  ASSERT_TRUE(home.HasEpgData());
  Running program{home.Start({"0"})};
  ASSERT_GT(program.pid, 0);
  ASSERT_TRUE(home.WaitForLog("EPGデータフォルダ監視スレッド起動")) << home.Log();
  ASSERT_TRUE(home.WaitForLog("EPGデータ読み込み:")) << home.Log();

  // The watch begins after its first load; a file written before that is
  // not seen, so a few files are offered one after another.
  bool seen = false;
  for (int attempt = 0; attempt < 5 && !seen; ++attempt) {
    std::string added = AddEpgFile(home, "7FE0010" + std::to_string(attempt) + "_epg.dat");
    seen = home.WaitForLog("EPGデータ読み込み:" + added, 12s);
  }
  EXPECT_TRUE(seen) << home.Log();
  EXPECT_EQ(home.Fetch("/ping.txt"), "pong");

  ExpectCleanEnd(home, program.pid, SIGINT);
}

TEST(PlimodRunTest, RemoteTuneCommandSelectsTheServiceOnTheRemoteControlServer) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  // The demo's first service, offered by the second BonDriver.
  plimod::test::FakeRemoteServer server("current\t0\nbon\t1\tBon_A\nservice\t5\tother\n"
                                        "bon\t2\tBon_B\nservice\t6\t" +
                                        plimod::WideToCp932(L"みなとテレビ総合") + "\n");
  ASSERT_FALSE(server.Port().empty());
  ProgramHome home("plimod-nrc", L"EPGDATACHECKCHANGES=0\r\nREMOCON_ADDRESS=127.0.0.1:" +
                                     plimod::Utf8ToWide(server.Port()) + L"\r\n");
  ASSERT_TRUE(home.HasEpgData());
  Running program{home.Start()};
  ASSERT_GT(program.pid, 0);
  ASSERT_TRUE(home.WaitForLog("EPGデータ読み込み:")) << home.Log();

  // Commands count only when sent from the program's own pages.
  const auto command = [&home](const std::string& query) {
    return plimod::test::CommandOutput("curl -s --max-time 20 -e '" + home.Url("/") + "' '" + home.Url("/?" + query) +
                                       "'");
  };
  EXPECT_EQ(command("cmd=nrc&sid=7fe07fe00400"), "成功");
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"GetBonList", "GetServiceList2", "SetBon:2",
                                                         "GetServiceList2", "SetService2:6"}));
  EXPECT_EQ(command("cmd=nrc&sid=7fe07fe00499"), "失敗 ");  // no such service

  ExpectCleanEnd(home, program.pid, SIGTERM);
}

TEST(PlimodRunTest, AFileSizeLimitFailsWritesInsteadOfEndingTheProgram) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  RunHome home(false);
  ASSERT_TRUE(home.HasEpgData());
  // The text-file recorder, with a Program.txt smaller than the log.
  const fs::path programTxt = home.Path() / "Program.txt";
  std::ofstream(home.Path() / "plimo.ini", std::ios::binary | std::ios::app)
      << plimod::WideToUtf16Le(L"[EPGDATACAP]\r\nENABLE=1\r\nSMALLLINK=1\r\nPROGRAMTXT=" +
                               plimod::Utf8ToWide(programTxt.string()) + L"\r\n");
  const std::string before = std::string(100, '#') + "\r\n";
  std::ofstream(programTxt, std::ios::binary) << before;
  Running program{home.Start()};
  ASSERT_GT(program.pid, 0);
  ASSERT_TRUE(home.WaitForLog("EPGデータ読み込み:")) << home.Log();
  const std::string table = home.Fetch("/?mode=epg&day=" + plimod::test::Tomorrow() + "&hour=20");
  const std::size_t link = table.find("?cmd=edc&sid=");
  ASSERT_NE(link, std::string::npos) << table;
  const std::string query = table.substr(link + 1, table.find('\'', link) - link - 1);

  // Room for part of the new line; the log cannot grow at all.
  const struct rlimit limit = {before.size() + 40, RLIM_INFINITY};
  ASSERT_EQ(prlimit(program.pid, RLIMIT_FSIZE, &limit, nullptr), 0);
  const std::string reply = plimod::test::CommandOutput("curl -s --max-time 20 -e '" + home.Url("/") + "' '" +
                                                        home.Url("/?" + query) + "'");
  EXPECT_EQ(reply, "Program.txtオープンエラー\n");
  std::string after;
  plimod::ReadFileToString(programTxt.string(), after);
  EXPECT_EQ(after, before);

  // The end line goes to the full log from the main thread: a failed
  // write, and the program still ends as asked.
  ASSERT_EQ(kill(program.pid, SIGTERM), 0);
  const std::optional<int> status = WaitForExit(program.pid, 30s);
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status)) << "status " << *status;
  EXPECT_FALSE(home.Log().ends_with("lumod終了\n"));
}

// "YYYYMMDDhhmm00" of the local time `seconds` from now.
std::string CalendarTime(int seconds) {
  const plimod::SystemTime t = plimod::LocalSystemTime(std::time(nullptr) + seconds, 0);
  char text[40];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d00", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
  return text;
}

TEST(PlimodRunTest, CalendarScheduleArrivesWithTheFirstLoadAndShowsOnTheSearchGrid) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  plimod::test::FakeCalendar calendar;
  ASSERT_TRUE(calendar.Running());
  plimod::test::ScopedEnv url("SYOBOCAL_URL", calendar.BaseUrl().c_str());
  // A programme in an hour on a channel the EPG data does not have.
  calendar.Reply(200, plimod::test::SyoboiReplyDocument(
                          {"<ProgItem PID=\"77\" TID=\"7\" StTime=\"" + CalendarTime(3600) + "\" EdTime=\"" +
                           CalendarTime(5400) + "\" ChName=\"遠いテレビ\" ChID=\"900\" Count=\"2\" " +
                           "Title=\"カレンダーの番組\" SubTitle=\"\" ProgComment=\"\" StOffset=\"0\" />"}));
  ProgramHome home("plimod-calendar", L"EPGDATACHECKCHANGES=0\r\nSYOBOCAL_ENABLE=1\r\n"
                                      L"SYOBOCAL_USERNAME=viewer\r\nSYOBOCAL_LOADTIME=5:00\r\n");
  Running program{home.Start()};
  ASSERT_GT(program.pid, 0);

  ASSERT_TRUE(home.WaitForLog("しょぼかる受信成功(1件)")) << home.Log();
  EXPECT_TRUE(home.WaitForLog("syobocal timer set")) << home.Log();
  EXPECT_NE(home.Log().find("unknown channel:遠いテレビ"), std::string::npos) << home.Log();
  const std::string page = home.Fetch("/");
  EXPECT_NE(page.find("カレンダーの番組"), std::string::npos) << page;
  EXPECT_NE(page.find("http://cal.syoboi.jp/tid/7#77"), std::string::npos) << page;
  const auto requests = calendar.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].query, "usr=viewer");

  ExpectCleanEnd(home, program.pid, SIGTERM);
}

// The recorder link on, in the reservation-server mode, with a pipe folder
// and event names of this test's own; `more` adds settings sections.
class ServerRecorderHome {
 public:
  explicit ServerRecorderHome(const std::wstring& more = L"")
      : pipeDir_("EPGTIMER_PIPE_DIR", pipes_.Path().c_str()),
        prefix_("EPGTIMER_EVENT_PREFIX", ("plimodrun." + std::to_string(getpid()) + ".").c_str()),
        home_("plimod-srv", L"EPGDATACHECKCHANGES=0\r\n[EPGDATACAP]\r\nENABLE=1\r\nEPGTIMEREXE=" +
                                plimod::Utf8ToWide((recorder_.Path() / "EpgTimer_Bon.exe").string()) + L"\r\n" +
                                more) {
    std::ofstream(recorder_.Path() / "EpgTimerSrv.ini") << "[BonDriver_T.dll]\r\nMode=0\r\nCount=2\r\n";
    fs::create_directories(home_.Path() / "public_html");
    std::ofstream(home_.Path() / "public_html" / "ping.txt") << "pong";
  }
  const ProgramHome& home() const { return home_; }
  const fs::path& pipes() const { return pipes_.Path(); }

  // A page as the program's own pages ask for it (others may not use its commands).
  std::string Fetch(const std::string& path, int seconds = 10) const {
    return plimod::test::CommandOutput("curl -s --max-time " + std::to_string(seconds) + " -e '" + home_.Url("/") +
                                       "' '" + home_.Url(path) + "'");
  }

 private:
  plimod::test::TempFolder recorder_{"plimod-srv-rec"};
  plimod::test::TempFolder pipes_{"plimod-srv-pipe"};
  plimod::test::ScopedEnv pipeDir_;
  plimod::test::ScopedEnv prefix_;
  ProgramHome home_;
};

// The time stamp of the last log line that holds `text`.
std::optional<std::time_t> LoggedAt(const std::string& log, const std::string& text) {
  const std::size_t at = log.rfind(text);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t line = log.rfind('\n', at);
  std::tm t{};
  if (std::sscanf(log.c_str() + (line == std::string::npos ? 0 : line + 1), "%4d%2d%2d %2d%2d%2d", &t.tm_year,
                  &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min, &t.tm_sec) != 6) {
    return std::nullopt;
  }
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

TEST(PlimodRunTest, AbsentReservationServerFailsEachCommandAtOnceAndHoldsNoShutdown) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  ServerRecorderHome recorder(L"[AUTORESERVE_01]\r\nENABLE=1\r\nWORD=ニュース\r\nSEARCH_TITLE=1\r\n");
  const ProgramHome& home = recorder.home();
  ASSERT_TRUE(home.HasEpgData());
  Running program{home.Start()};
  ASSERT_GT(program.pid, 0);

  // The first load's reservation pass meets many hits and no server: it
  // gives up at the first add, well before one connect time-out per call.
  // Timed by the program's own log, from its last file of the load, so that
  // a busy machine's slow start does not count.
  const std::string gaveUp = "EpgTimerSrvに接続できないため自動予約を中断しました";
  ASSERT_TRUE(home.WaitForLog(gaveUp, 60s)) << home.Log();
  const std::optional<std::time_t> loaded = LoggedAt(home.Log(), "EPGデータ読み込み:");
  const std::optional<std::time_t> stopped = LoggedAt(home.Log(), gaveUp);
  ASSERT_TRUE(loaded && stopped) << home.Log();
  EXPECT_LT(*stopped - *loaded, 12) << home.Log();

  EXPECT_NE(recorder.Fetch("/?cmd=epgtimer").find("EpgDataCap_bon予約リスト"), std::string::npos);
  EXPECT_NE(recorder.Fetch("/m/?c=n").find("ETB予約ﾘｽﾄ"), std::string::npos);
  ExpectCleanEnd(home, program.pid, SIGTERM, 10s);
  EXPECT_EQ(CountOf(home.Log(), gaveUp), 1u) << home.Log();
}

TEST(PlimodRunTest, SlowReservationServerHoldsUpOnlyThePageThatWaitsForIt) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  ServerRecorderHome recorder;
  const ProgramHome& home = recorder.home();
  std::vector<std::string> env = {"EPGTIMER_PIPE_DIR=" + recorder.pipes().string(),
                                  std::string("EPGTIMER_EVENT_PREFIX=") + std::getenv("EPGTIMER_EVENT_PREFIX")};
  Running server{plimod::test::StartProcess((plimod::test::kBuiltPrograms / "fake_epgtimersrv").string(),
                                            {"--delay-ms", "60000"}, env)};
  ASSERT_GT(server.pid, 0);
  for (int i = 0; i < 6000 && !fs::exists(recorder.pipes() / "EpgTimerSrvPipe"); ++i) std::this_thread::sleep_for(10ms);
  Running program{home.Start()};
  ASSERT_GT(program.pid, 0);
  ASSERT_TRUE(home.WaitForLog("httpdスレッド起動")) << home.Log();

  std::atomic<bool> answered{false};
  std::thread phone([&] {
    recorder.Fetch("/m/?c=n", 60);
    answered = true;
  });
  // Once the program has taken the request, its answer waits for the server.
  EXPECT_TRUE(home.WaitForLog("GET /m/?c=n", 30s)) << home.Log();
  EXPECT_EQ(home.Fetch("/ping.txt"), "pong");
  EXPECT_NE(home.Fetch("/m/").find("プリモ…"), std::string::npos);
  EXPECT_FALSE(answered) << "the reservation list did not wait for the server";

  // A call still waiting on the server does not hold the exit up: the
  // answer is a minute off and the client's own time-out half of that, so
  // only the stop ends the call within the bound.
  ExpectCleanEnd(home, program.pid, SIGTERM, 15s);
  phone.join();
  plimod::test::StopProcess(server.pid, 5s);
}

TEST(PlimodRunTest, ServerAnsweringAfterTwentySecondsHoldsNeitherTheLoadNorTheGuidePages) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  // A slow server must hold neither the pages nor the end; a quick one shows
  // that the automatic reservation's adds, sent off the busy flag, arrive.
  for (const char* delay : {"20000", "0"}) {
    SCOPED_TRACE(std::string("server delay ms ") + delay);
    const bool slow = std::string(delay) != "0";
    // A condition with many hits: the automatic reservation has adds to send.
    ServerRecorderHome recorder(L"[AUTORESERVE_01]\r\nENABLE=1\r\nWORD=ニュース\r\nSEARCH_TITLE=1\r\n");
    const ProgramHome& home = recorder.home();
    ASSERT_TRUE(home.HasEpgData());
    plimod::test::TempFolder kept("plimod-srv-kept");
    std::vector<std::string> env = {"EPGTIMER_PIPE_DIR=" + recorder.pipes().string(),
                                    std::string("EPGTIMER_EVENT_PREFIX=") + std::getenv("EPGTIMER_EVENT_PREFIX")};
    Running server{plimod::test::StartProcess((plimod::test::kBuiltPrograms / "fake_epgtimersrv").string(),
                                              {"--delay-ms", delay, "--folder", kept.Path().string()}, env)};
    ASSERT_GT(server.pid, 0);
    ASSERT_TRUE(Within(10s, [&] { return fs::exists(recorder.pipes() / "EpgTimerSrvPipe"); }));
    Running program{home.Start()};
    ASSERT_GT(program.pid, 0);

    // After the load the log page and the programme table answer, the table
    // with data, well before one answer of the slow server: anything waiting
    // on it under the busy flag (the list, the automatic reservation's adds)
    // would keep them at "Epgデータ読み込み中" for 20 s at least.
    const std::string table = "/?mode=epg&day=" + plimod::test::Tomorrow() + "&hour=20";
    std::string last;
    const auto guideAnswers = [&](const std::string& loaded) {
      if (home.Log().find("EPGデータ読み込み:" + loaded) == std::string::npos) return (last = "no load").empty();
      if ((last = recorder.Fetch("/?cmd=log")).find("WM_TIMER") == std::string::npos) return false;  // CP932
      return (last = recorder.Fetch(table)).find("&eid=") != std::string::npos;
    };
    EXPECT_TRUE(Within(10s, [&] { return guideAnswers(""); })) << "after start: " << last.substr(0, 300);
    const std::string added = AddEpgFile(home, "7FE00002_epg.dat");
    ASSERT_EQ(kill(program.pid, SIGHUP), 0);
    EXPECT_TRUE(Within(10s, [&] { return guideAnswers(added); })) << "after a reload: " << last.substr(0, 300);

    if (!slow) {
      EXPECT_TRUE(home.WaitForLog("自動予約:", 60s)) << home.Log();
      EXPECT_TRUE(Within(30s, [&] { return !plimod::test::ReadFileBytes(kept.Path() / "Reserve.txt").empty(); }));
    }
    // With the slow server the adds are still pending here: the end gives
    // them up in time.
    ExpectCleanEnd(home, program.pid, SIGTERM, 10s);
    plimod::test::StopProcess(server.pid, 30s);
  }
}

// A connection to the program's port that sends `request` and never reads;
// its receive buffer is small, so the server soon has to wait for it.
plimod::UniqueFd StalledClient(int port, const std::string& request) {
  plimod::UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  int small = 4096;
  setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return {};
  plimod::test::SendText(fd.get(), request);
  return fd;
}

TEST(PlimodRunTest, AClientThatNeverReadsALargeFrontPageHoldsUpNeitherPagesNorTheEnd) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  // Ten times the demo data and search conditions that fill the front page
  // (the search grid) with megabytes.
  std::wstring conditions;
  int n = 0;
  for (const wchar_t* word : {L"ニュース", L"ドラマ 映画", L"アニメ", L"旅", L"相撲", L"クイズ バラエティ 笑い"}) {
    conditions += L"[SEARCH_0" + std::to_wstring(++n) + L"]\r\nENABLE=1\r\nWORD=" + word +
                  L"\r\nSEARCH_EXPLANATION=1\r\nSEARCH_DETAIL=1\r\n";
  }
  RunHome home(false, conditions);
  fs::remove_all(home.EpgFolder());
  ASSERT_EQ(plimod::test::RunCommand((plimod::test::kBuiltPrograms / "epgwriter").string() + " --demo " +
                                     home.EpgFolder().string() + " --scale 10 >/dev/null")
                .exitCode,
            0);
  Running program{home.Start()};
  ASSERT_GT(program.pid, 0);
  ASSERT_TRUE(home.WaitForLog("EPGデータ読み込み:")) << home.Log();
  ASSERT_GT(home.Fetch("/").size(), 4'000'000u);

  plimod::UniqueFd stalled = StalledClient(home.Port(), "GET / HTTP/1.0\r\n\r\n");
  ASSERT_TRUE(stalled);
  pollfd first{stalled.get(), POLLIN, 0};
  ASSERT_EQ(poll(&first, 1, 30'000), 1) << "the front page never began to arrive";
  // Others' pages come as before (they used to wait 900 ms and get "cgi busy").
  const std::string table = home.Fetch("/?mode=epg&hour=20");
  EXPECT_NE(table.find("<span class=title>"), std::string::npos) << table.substr(0, 300);
  const std::string log = plimod::test::CommandOutput("curl -s --max-time 10 -e '" + home.Url("/") + "' '" +
                                                      home.Url("/?cmd=log") + "'");
  EXPECT_NE(log.find("GET /?mode=epg"), std::string::npos) << log.substr(0, 300);
  // The end does not wait for the client either (it used to take 10 s).
  ExpectCleanEnd(home, program.pid, SIGTERM, 6s);
}

TEST(PlimodRunTest, SixHundredPhonesWaitingOnASlowReservationServerLeaveTheOtherPagesAnswering) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  ServerRecorderHome recorder;
  const ProgramHome& home = recorder.home();
  Running program{home.Start()};
  ASSERT_GT(program.pid, 0);
  ASSERT_TRUE(home.WaitForLog("EPGデータ読み込み:")) << home.Log();
  // The server comes once the data are in, so the first load does not meet it.
  std::vector<std::string> env = {"EPGTIMER_PIPE_DIR=" + recorder.pipes().string(),
                                  std::string("EPGTIMER_EVENT_PREFIX=") + std::getenv("EPGTIMER_EVENT_PREFIX")};
  Running server{plimod::test::StartProcess((plimod::test::kBuiltPrograms / "fake_epgtimersrv").string(),
                                            {"--delay-ms", "20000"}, env)};
  ASSERT_GT(server.pid, 0);
  for (int i = 0; i < 1000 && !fs::exists(recorder.pipes() / "EpgTimerSrvPipe"); ++i) std::this_thread::sleep_for(10ms);

  // More phones than the server holds connections, each asking for the
  // reservation list as the phone menu's link does.
  const std::string phone = "GET /m/?c=n HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(home.Port()) +
                            "\r\nReferer: " + home.Url("/m/") + "\r\n\r\n";
  std::vector<plimod::UniqueFd> phones;
  for (int i = 0; i < 600; ++i) {
    phones.push_back(plimod::test::ConnectLoopback(static_cast<std::uint16_t>(home.Port())));
    ASSERT_TRUE(phones.back()) << "phone " << i;
    plimod::test::SendText(phones.back().get(), phone);
  }
  const auto taken = [&home] {
    const std::string log = home.Log();
    return CountOf(log, "GET /m/?c=n") >= 512 || log.find("lumod終了") != std::string::npos;
  };
  for (const auto until = std::chrono::steady_clock::now() + 30s; !taken() && std::chrono::steady_clock::now() < until;) {
    std::this_thread::sleep_for(50ms);
  }
  ASSERT_TRUE(taken()) << "the server never read the phones' requests";
  const auto fetch = [&home](const std::string& path) {
    return plimod::test::CommandOutput("curl -s --max-time 5 -e '" + home.Url("/") + "' '" + home.Url(path) + "'");
  };
  EXPECT_EQ(fetch("/ping.txt"), "pong");
  EXPECT_NE(fetch("/m/").find("プリモ…"), std::string::npos);
  EXPECT_NE(fetch("/?cmd=log").find("GET /m/"), std::string::npos);
  ExpectCleanEnd(home, program.pid, SIGTERM, 10s);
  plimod::test::StopProcess(server.pid, 5s);
}

TEST(PlimodRunTest, ASlowCalendarHoldsNeitherThePagesNorTheEnd) {
  InstanceNameLock lock;
  ASSERT_TRUE(lock.Held());
  plimod::test::FakeCalendar calendar;
  ASSERT_TRUE(calendar.Running());
  plimod::test::ScopedEnv url("SYOBOCAL_URL", calendar.BaseUrl().c_str());
  calendar.Reply(200, plimod::test::SyoboiReplyDocument({}), 120'000);
  ProgramHome home("plimod-slowcal", L"EPGDATACHECKCHANGES=0\r\nSYOBOCAL_ENABLE=1\r\nSYOBOCAL_USERNAME=viewer\r\n");
  Running program{home.Start()};
  ASSERT_GT(program.pid, 0);

  // The request arrives once the data are loaded; its answer is far off.
  const auto until = std::chrono::steady_clock::now() + 20s;
  while (calendar.Requests().empty() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(50ms);
  ASSERT_FALSE(calendar.Requests().empty());
  const std::string page = home.Fetch("/?mode=epg");
  EXPECT_EQ(page.find("Epgデータ読み込み中"), std::string::npos) << page;
  EXPECT_NE(page.find("<"), std::string::npos) << page;

  // The transfer gives up on the stop; the time-out is far off.
  ExpectCleanEnd(home, program.pid, SIGTERM, 10s);
}

}  // namespace
