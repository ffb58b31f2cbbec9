#include "recorder/srv/epgtimer_srv_client.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/named_event.h"
#include "platform/pipe_socket.h"
#include "platform/program_stop.h"
#include "platform/sync.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"
#include "recorder/lines/read_reserve_line.h"
#include "settings/ini_file.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/recorder/wire_bytes.h"
#include "tests/support/child_process.h"
#include "tests/support/resident_size.h"
#include "util/keys.h"

namespace plimod {
namespace {

using test::Header;
using test::Le32;
using test::ReserveBytes;
using test::ScriptedReply;
using test::WireVector;

class SrvClientTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(srv_.Start()); }

  EpgTimerSrvClient MakeClient(std::uint32_t connectMs = 2'000, std::uint32_t lockMs = 2'000,
                               std::uint32_t ioMs = 2'000) {
    return EpgTimerSrvClient(srv_.pipeName(), srv_.eventName(), connectMs, lockMs, ioMs);
  }

  std::vector<std::string> RequestBytes() {
    std::vector<std::string> out;
    for (const auto& r : srv_.server().Requests()) out.push_back(r.bytes);
    return out;
  }

  test::SrvTestServer srv_;
};

// A reply for one request.
ScriptedReply Once(std::uint32_t code, std::string body) {
  ScriptedReply reply;
  reply.code = code;
  reply.body = std::move(body);
  reply.uses = 1;
  return reply;
}

// The environment of the fake as a program of its own: the pipe's folder
// and the run's event prefix, under which the client looks for its event.
std::vector<std::string> FakeProgramEnv(const test::TempFolder& folder) {
  std::vector<std::string> env = {"EPGTIMER_PIPE_DIR=" + folder.Path().string()};
  if (const char* prefix = std::getenv("EPGTIMER_EVENT_PREFIX")) env.push_back(std::string("EPGTIMER_EVENT_PREFIX=") + prefix);
  return env;
}

// Waits, with a bound a busy machine meets, until a server listens at the
// pipe (a socket file left by one that was killed refuses).
bool WaitUntilListening(const std::string& pipe) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!PipeSocketListening(pipe)) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

SrvReserveData Reservation(const std::wstring& title) {
  SrvReserveData r;
  r.title = title;
  r.start = SystemTime{2026, 12, 0, 9, 21, 0, 0, 0};
  r.duration = 1800;
  return r;
}

TEST_F(SrvClientTest, EachCommandSendsItsExactBytes) {
  EpgTimerSrvClient client = MakeClient();
  std::vector<SrvReserveData> reserves;
  std::vector<SrvTunerReserve> tuners;
  std::vector<SrvRecFileInfo> results;
  SrvReserveData one;
  EXPECT_EQ(client.EnumReserve(reserves), 1u);
  EXPECT_EQ(client.GetReserve(0x01020304, one), 0u);  // no such id in the server
  EXPECT_EQ(client.AddReserve({SrvReserveData{}}), 1u);
  EXPECT_EQ(client.DelReserve({1, 2}), 1u);
  EXPECT_EQ(client.ChgReserve({SrvReserveData{}}), 0u);  // id 0 is unknown
  EXPECT_EQ(client.EnumTunerReserve(tuners), 1u);
  EXPECT_EQ(client.EnumRecResult(results), 1u);
  EXPECT_EQ(client.DelRecResult({7}), 1u);

  const std::string emptyVector = WireVector(1, ReserveBytes("", 0));
  const std::vector<std::string> expected = {
      Header(1011, 0),
      Header(1012, 4) + Le32(0x01020304),
      Header(1013, 133) + emptyVector,
      Header(1014, 16) + WireVector(2, Le32(1) + Le32(2)),
      Header(1015, 133) + emptyVector,
      Header(1016, 0),
      Header(1017, 0),
      Header(1018, 12) + WireVector(1, Le32(7)),
  };
  EXPECT_EQ(RequestBytes(), expected);
  EXPECT_EQ(expected[1].substr(0, 8), std::string("\xF4\x03\0\0\x04\0\0\0", 8));
}

TEST_F(SrvClientTest, ServerKeepsWhatCommandsChange) {
  EpgTimerSrvClient client = MakeClient();
  ASSERT_EQ(client.AddReserve({Reservation(L"A"), Reservation(L"B")}), 1u);
  std::vector<SrvReserveData> listed;
  ASSERT_EQ(client.EnumReserve(listed), 1u);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].reserveId, 1u);
  EXPECT_EQ(listed[1].reserveId, 2u);
  EXPECT_EQ(listed[1].title, L"B");
  EXPECT_EQ(listed[1].start.wHour, 21);

  SrvReserveData b;
  ASSERT_EQ(client.GetReserve(2, b), 1u);
  b.title = L"B2";
  b.setting.recordMode = 5;
  ASSERT_EQ(client.ChgReserve({b}), 1u);
  ASSERT_EQ(client.DelReserve({1}), 1u);

  listed.clear();
  ASSERT_EQ(client.EnumReserve(listed), 1u);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].title, L"B2");
  EXPECT_EQ(listed[0].setting.recordMode, 5);

  test::FakeSrvState state = srv_.server().State();
  state.tuners.push_back({0x1FF, L"BonDriver_T.dll", {2}});
  SrvRecFileInfo result;
  result.resultId = 5;
  result.title = L"done";
  result.dropCount = 3;
  state.results.push_back(result);
  srv_.server().SetState(state);
  std::vector<SrvTunerReserve> tuners;
  ASSERT_EQ(client.EnumTunerReserve(tuners), 1u);
  ASSERT_EQ(tuners.size(), 1u);
  EXPECT_EQ(tuners[0].tunerId, 0x1FFu);
  EXPECT_EQ(tuners[0].tunerName, L"BonDriver_T.dll");
  EXPECT_EQ(tuners[0].reserveIds, (std::vector<std::uint32_t>{2}));
  std::vector<SrvRecFileInfo> results;
  ASSERT_EQ(client.EnumRecResult(results), 1u);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].title, L"done");
  EXPECT_EQ(results[0].dropCount, 3);
  ASSERT_EQ(client.DelRecResult({5}), 1u);
  EXPECT_TRUE(srv_.server().State().results.empty());
}

TEST_F(SrvClientTest, RepliesOtherThanSuccessPassThroughUndecoded) {
  EpgTimerSrvClient client = MakeClient();
  srv_.server().Script(1011, Once(9, WireVector(1, ReserveBytes("x", 1))));
  srv_.server().Script(1012, Once(1, ""));
  srv_.server().Script(1013, Once(250, ""));
  std::vector<SrvReserveData> listed;
  EXPECT_EQ(client.EnumReserve(listed), 9u);
  EXPECT_TRUE(listed.empty());
  SrvReserveData one;
  one.title = L"kept";
  EXPECT_EQ(client.GetReserve(1, one), 0u);  // success without a body
  EXPECT_EQ(client.AddReserve({SrvReserveData{}}), 250u);
}

TEST_F(SrvClientTest, BrokenOrLyingRepliesGiveError) {
  // The next command waits for the server to finish with the silent one.
  EpgTimerSrvClient client = MakeClient(10'000, 2'000, 1'500);
  std::vector<SrvReserveData> listed;
  const std::string body = WireVector(1, ReserveBytes("x", 1));
  ScriptedReply closing = Once(1, body);
  closing.closeAfterBodyBytes = 20;
  srv_.server().Script(1011, closing);
  EXPECT_EQ(client.EnumReserve(listed), 0u);
  // Four gigabytes claimed: refused before anything is allocated for it.
  ScriptedReply lying = Once(1, body);
  lying.statedSize = 0xFFFFFFFF;
  srv_.server().Script(1011, lying);
  EXPECT_EQ(client.EnumReserve(listed), 0u);
  // A server that stays silent past the transfer bound.
  ScriptedReply silent = Once(1, body);
  silent.delayMs = 3'000;
  srv_.server().Script(1011, silent);
  EXPECT_EQ(client.EnumReserve(listed), 0u);
  EXPECT_EQ(client.EnumReserve(listed), 1u);  // and the next command works
  EXPECT_EQ(listed.size(), 0u);
}

// Whether the client fails within a second when the server closes after
// the header or inside the body: it must not wait out its 30 s for bytes
// a closed peer never sends, whatever an earlier call left in errno.
TEST_F(SrvClientTest, AServerThatClosesMidReplyFailsTheCommandAtOnce) {
  EpgTimerSrvClient client = MakeClient(10'000, 2'000, kSrvIoTimeoutMs);
  for (const std::size_t sent : {std::size_t{0}, std::size_t{20}}) {
    ScriptedReply closing = Once(1, WireVector(1, ReserveBytes("x", 1)));
    closing.closeAfterBodyBytes = sent;
    srv_.server().Script(1011, closing);
    std::uint32_t code = kSrvSuccess;
    const auto took = test::TimeCommand(
        [&] {
          std::vector<SrvReserveData> listed;
          errno = EAGAIN;
          code = client.EnumReserve(listed);
        },
        std::chrono::seconds(5));
    EXPECT_EQ(code, 0u) << sent;
    EXPECT_LT(took, std::chrono::seconds(1)) << "after " << sent << " bytes";
  }
}

TEST_F(SrvClientTest, FourMebibytesOfEmptyRecordsCostNoMoreThanTheirBytes) {
  EpgTimerSrvClient client = MakeClient();
  srv_.server().Script(1011, Once(1, test::EmptyRecordList(1u << 20)));
  std::vector<SrvReserveData> listed;
  const std::size_t before = test::ResetPeakResidentKb();
  EXPECT_EQ(client.EnumReserve(listed), 0u);
  const std::size_t peak = test::ProcStatusKb("VmHWM:");
  EXPECT_TRUE(listed.empty());
  EXPECT_EQ(listed.capacity(), 0u);
  // Without the check: a million records of some 300 bytes, twice over
  // while the vector grows.
  EXPECT_LT(peak - std::min(peak, before), 160u * 1024) << "KiB grown while the reply was decoded";
}

TEST_F(SrvClientTest, RequestOverOneMebibyteArrivesWhole) {
  EpgTimerSrvClient client = MakeClient();
  SrvReserveData big = Reservation(std::wstring(700'000, L'\u30C6'));
  ASSERT_EQ(client.AddReserve({big}), 1u);
  const std::vector<std::string> bodies = srv_.server().BodiesOf(1013);
  ASSERT_EQ(bodies.size(), 1u);
  EXPECT_GT(bodies[0].size(), 1'400'000u);
  const test::FakeSrvState state = srv_.server().State();
  ASSERT_EQ(state.reservations.size(), 1u);
  EXPECT_EQ(state.reservations[0].title, big.title);
}

TEST_F(SrvClientTest, LockHeldPastTheWaitDoesNotStopTheNextCommand) {
  constexpr std::uint32_t kLockWaitMs = 200;
  EpgTimerSrvClient client = MakeClient(2'000, kLockWaitMs);
  ASSERT_TRUE(client.Lock(0));  // taken and never given back
  std::vector<SrvReserveData> listed;
  for (int command = 0; command < 2; ++command) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.EnumReserve(listed), 1u);
    // It waited out the lock before going on without it, and the one that
    // went on before did not free the hold at its end.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kLockWaitMs));
  }
  client.Unlock();
  EXPECT_EQ(client.EnumReserve(listed), 1u);
}

// A reservation server that takes every connection at once, each on a
// thread of its own, and holds it a while before answering success: two
// commands that are not kept apart show as connections open together.
class OverlapRecordingServer {
 public:
  explicit OverlapRecordingServer(std::string eventName) : eventName_(std::move(eventName)) {}
  ~OverlapRecordingServer() {
    thread_.Stop();
    for (std::thread& worker : workers_) worker.join();
    ::unlink(PipeSocketPath("pipe").c_str());
    NamedEvent::Remove(eventName_);
  }

  bool Start() {
    event_ = NamedEvent::CreateOrOpen(eventName_);
    listener_ = ListenPipeSocket("pipe");
    return event_.valid() && listener_ && thread_.Start([this](StopSignal& stop) { Serve(stop); });
  }
  // "open" and "close" of each connection, in the order they happened.
  std::vector<std::string> Steps() const {
    std::lock_guard lock(mutex_);
    return steps_;
  }
  int MostOpenAtOnce() const {
    std::lock_guard lock(mutex_);
    return mostOpen_;
  }

 private:
  static constexpr std::uint32_t kHoldMs = 300;

  void Serve(StopSignal& stop) {
    while (!stop.StopRequested()) {
      event_.Set();  // always ready for one more
      if (!WaitReadableWithin(listener_.get(), 10)) continue;
      UniqueFd peer(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (peer) workers_.emplace_back([this, fd = std::move(peer)] { Answer(fd.get()); });
    }
  }
  // A command counts from its request to just before its answer: the next
  // one may start as soon as the answer is out, and a connection that sends
  // nothing (a client looking whether anyone listens) is no command.
  void Answer(int fd) {
    CommandPacket request;
    if (!ReadPacket(fd, request, 0x100000, 2'000)) return;
    Note("open", +1);
    std::this_thread::sleep_for(std::chrono::milliseconds(kHoldMs));
    Note("close", -1);
    (void)WritePacket(fd, CommandPacket{kSrvSuccess, {}}, 0x100000, 2'000);
  }
  void Note(const char* step, int change) {
    std::lock_guard lock(mutex_);
    steps_.push_back(step);
    open_ += change;
    mostOpen_ = std::max(mostOpen_, open_);
  }

  std::string eventName_;
  NamedEvent event_;
  UniqueFd listener_;
  mutable std::mutex mutex_;
  std::vector<std::string> steps_;
  int open_ = 0;
  int mostOpen_ = 0;
  std::vector<std::thread> workers_;  // touched by the serving thread only, until it is stopped
  StoppableThread thread_;
};

TEST(SrvClientLock, CommandsOfTwoThreadsRunOneAfterTheOther) {
  test::TempFolder folder("srv");
  test::ScopedEnv pipeDir("EPGTIMER_PIPE_DIR", folder.Path().c_str());
  const std::string eventName = test::UniqueSrvName("overlap");
  OverlapRecordingServer server(eventName);
  ASSERT_TRUE(server.Start());
  EpgTimerSrvClient client("pipe", eventName, 5'000, 10'000, 5'000);
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  std::thread one([&] { first = client.DelReserve({1}); });
  std::thread two([&] { second = client.DelReserve({2}); });
  one.join();
  two.join();
  EXPECT_EQ(first, kSrvSuccess);
  EXPECT_EQ(second, kSrvSuccess);
  EXPECT_EQ(server.MostOpenAtOnce(), 1);
  EXPECT_EQ(server.Steps(), (std::vector<std::string>{"open", "close", "open", "close"}));
}

TEST(SrvClientWithoutServer, NoServerTimesOutAndMissingPipeIsNotOpened) {
  test::TempFolder folder("srv");
  test::ScopedEnv pipeDir("EPGTIMER_PIPE_DIR", folder.Path().c_str());
  const std::string eventName = test::UniqueSrvName("none");
  EpgTimerSrvClient client("pipe", eventName, 100, 100, 1'000);
  std::vector<SrvReserveData> listed;
  EXPECT_EQ(client.EnumReserve(listed), 207u);

  ASSERT_TRUE(NamedEvent::CreateOrOpen(eventName).Set());
  EXPECT_EQ(client.EnumReserve(listed), 205u);
  NamedEvent::Remove(eventName);

  EpgTimerSrvClient unnamed("", eventName, 100, 100, 1'000);
  EXPECT_EQ(unnamed.EnumReserve(listed), 204u);
}

// Nothing listening fails at once; a server that listens but has not
// signalled yet gets the whole wait, which the program's stop cuts short.
TEST(SrvClientWithoutServer, OnlyAServerThatIsThereGetsTheWaitAndTheStopEndsIt) {
  test::TempFolder folder("srv");
  test::ScopedEnv pipeDir("EPGTIMER_PIPE_DIR", folder.Path().c_str());
  const std::string eventName = test::UniqueSrvName("quiet");
  EpgTimerSrvClient client("pipe", eventName, 20'000, 1'000, 2'000);
  std::vector<SrvReserveData> listed;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client.EnumReserve(listed), 207u);  // no socket
  { UniqueFd died = ListenPipeSocket("pipe"); }  // its socket file stays: refused
  EXPECT_EQ(client.EnumReserve(listed), 207u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));  // not the 20 s wait

  UniqueFd listener = ListenPipeSocket("pipe");
  std::thread server([&] {  // signals late, then answers past the client's probe
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    NamedEvent::CreateOrOpen(eventName).Set();
    for (int i = 0; i < 2 && WaitReadableWithin(listener.get(), 5'000); ++i) {
      UniqueFd peer(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
      CommandPacket request;
      if (ReadPacket(peer.get(), request, 1 << 20, 2'000)) {
        (void)WritePacket(peer.get(), CommandPacket{1, {}}, 1 << 20, 2'000);
        break;
      }
    }
  });
  EXPECT_EQ(client.DelReserve({}), 1u);
  server.join();

  std::thread stopper([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    RequestProgramStop();
  });
  EXPECT_EQ(client.EnumReserve(listed), 207u);  // listening, never signalling
  stopper.join();
  ClearProgramStop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  NamedEvent::Remove(eventName);
}

TEST(SrvFakeProgram, ServesAsAProcessOfItsOwn) {
  test::TempFolder folder("srv");
  test::ScopedEnv pipeDir("EPGTIMER_PIPE_DIR", folder.Path().c_str());
  // An event prefix of this test's own, whatever the caller's environment
  // holds, the same for the child.
  const std::string prefix = test::UniqueSrvName("prefix") + ".";
  test::ScopedEnv eventPrefix("EPGTIMER_EVENT_PREFIX", prefix.c_str());
  const std::string eventName = test::UniqueSrvName("program");
  std::vector<std::string> env = {"EPGTIMER_PIPE_DIR=" + folder.Path().string(), "EPGTIMER_EVENT_PREFIX=" + prefix};
  test::AddSanitizerOptions(env);
  test::StartedProcess server(
      test::StartProcess(PLIMOD_BINARY_DIR "/bin/fake_epgtimersrv", {"--pipe", "pipe", "--event", eventName}, env));
  ASSERT_GT(server.pid(), 0);
  ASSERT_TRUE(WaitUntilListening("pipe")) << "the server never listened";
  EpgTimerSrvClient client("pipe", eventName, 5'000, 1'000, 5'000);
  EXPECT_EQ(client.AddReserve({Reservation(L"demo")}), 1u);
  std::vector<SrvReserveData> listed;
  EXPECT_EQ(client.EnumReserve(listed), 1u);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].title, L"demo");
  server.Stop();
  EXPECT_FALSE(std::filesystem::exists(folder.File("pipe")));
  NamedEvent::Remove(eventName);
}

// A demo restarted at once starts its server before the old one has ended.
TEST(SrvFakeProgram, ALaterServerKeepsItsSocketWhenTheEarlierOneStops) {
  test::TempFolder folder("srv");
  test::ScopedEnv pipeDir("EPGTIMER_PIPE_DIR", folder.Path().c_str());
  test::FakeEpgTimerSrv earlier("pipe", test::UniqueSrvName("earlier"));
  test::FakeEpgTimerSrv later("pipe", test::UniqueSrvName("later"));
  ASSERT_TRUE(earlier.Start());
  ASSERT_TRUE(later.Start());
  earlier.Stop();
  EXPECT_TRUE(std::filesystem::exists(folder.File("pipe")));
  later.Stop();
  EXPECT_FALSE(std::filesystem::exists(folder.File("pipe")));
}

// The demo's stand-in keeps its reservations where the program's form
// reads them, and has them again after a restart.
TEST(SrvFakeProgram, KeepsReservationsInReserveTxtAcrossARestart) {
  test::TempFolder folder("srv");
  test::ScopedEnv pipeDir("EPGTIMER_PIPE_DIR", folder.Path().c_str());
  const std::string eventName = test::UniqueSrvName("kept");
  // Stopped also when a check below gives up early.
  const auto start = [&] {
    return std::make_unique<test::StartedProcess>(
        test::StartProcess(PLIMOD_BINARY_DIR "/bin/fake_epgtimersrv",
                           {"--pipe", "pipe", "--event", eventName, "--folder", folder.Path().string()},
                           FakeProgramEnv(folder)));
  };
  auto server = start();
  ASSERT_TRUE(WaitUntilListening("pipe")) << "the server never listened";
  EpgTimerSrvClient client("pipe", eventName, 5'000, 1'000, 5'000);
  SrvReserveData kept = Reservation(L"朝の番組");
  kept.originalNetworkId = 4;
  kept.serviceId = 101;
  kept.eventId = 0x1234;
  kept.setting.recordMode = 5;
  kept.setting.marginEnable = 1;
  kept.setting.marginStart = 30;
  kept.setting.serviceFlags = 0x11;
  kept.setting.folders = {SrvRecFolder{{L"/rec/a", L"", L"", L""}}};
  ASSERT_EQ(client.AddReserve({kept, Reservation(L"second")}), 1u);
  std::vector<SrvReserveData> listed;
  ASSERT_EQ(client.EnumReserve(listed), 1u);
  ASSERT_EQ(client.DelReserve({listed[1].reserveId}), 1u);

  // The program's own reader finds it, fields 17 to 24 included.
  IniFile settings;
  settings.SetInt(L"EPGDATACAP", L"ENABLE", 1);
  settings.SetString(L"EPGDATACAP", L"PROGRAMTXT", Utf8ToWide(folder.Path().string()) + L"/");
  const auto line = ReadReserveLine(settings, ProgramKey(0x1234, ServiceKey(4, 0, 101)), 1);
  ASSERT_TRUE(line);
  EXPECT_EQ(Cp932ToWide(line->title), L"朝の番組");
  EXPECT_EQ(line->recordMode, 5);
  EXPECT_EQ(line->recFolder, "/rec/a");
  EXPECT_EQ(line->marginEnable, 1);
  EXPECT_EQ(line->marginStart, 30);
  EXPECT_EQ(line->serviceOptions, 3);
  EXPECT_FALSE(ReadReserveLine(settings, ProgramKey(0, ServiceKey(0, 0, 0)), 2));

  server.reset();
  server = start();
  ASSERT_TRUE(WaitUntilListening("pipe")) << "the restarted server never listened";
  listed.clear();
  ASSERT_EQ(client.EnumReserve(listed), 1u);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].title, L"朝の番組");
  EXPECT_EQ(listed[0].reserveId, 1u);
  EXPECT_EQ(listed[0].setting.marginStart, 30u);
  // New ids go on after the kept ones.
  ASSERT_EQ(client.AddReserve({Reservation(L"third")}), 1u);
  listed.clear();
  ASSERT_EQ(client.EnumReserve(listed), 1u);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[1].reserveId, 2u);
  server.reset();
  NamedEvent::Remove(eventName);
}

// Started by hand without its folder and prefix it would serve under the
// names real clients look for; it shows its usage instead.
TEST(SrvFakeProgram, RefusesUnknownArgumentsAndMachineWideNames) {
  const std::string program = PLIMOD_BINARY_DIR "/bin/fake_epgtimersrv";
  const auto exitCode = [&program](const std::vector<std::string>& arguments, const std::vector<std::string>& env) {
    const pid_t pid = test::StartProcess(program, arguments, env);
    const std::optional<int> status = test::WaitForExit(pid, std::chrono::seconds(30));
    if (!status) test::StopProcess(pid, std::chrono::milliseconds(1'000));
    return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
  };
  const std::vector<std::string> own = {"EPGTIMER_PIPE_DIR=/nonexistent", "EPGTIMER_EVENT_PREFIX=x."};
  EXPECT_EQ(exitCode({"--help"}, own), 2);
  EXPECT_EQ(exitCode({"--pipe"}, own), 2);
  EXPECT_EQ(exitCode({}, {}), 2);
  EXPECT_EQ(exitCode({}, {"EPGTIMER_PIPE_DIR=/nonexistent"}), 2);
}

}  // namespace
}  // namespace plimod
