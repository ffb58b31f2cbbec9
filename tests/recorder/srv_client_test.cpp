#include "recorder/srv/epgtimer_srv_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/named_event.h"
#include "platform/system_time.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/recorder/wire_bytes.h"
#include "tests/support/child_process.h"

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
  EpgTimerSrvClient client = MakeClient(2'000, 2'000, 300);
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
  silent.delayMs = 600;
  srv_.server().Script(1011, silent);
  EXPECT_EQ(client.EnumReserve(listed), 0u);
  EXPECT_EQ(client.EnumReserve(listed), 1u);  // and the next command works
  EXPECT_EQ(listed.size(), 0u);
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
  EpgTimerSrvClient client = MakeClient(2'000, 50);
  ASSERT_TRUE(client.Lock(0));  // taken and never given back
  std::vector<SrvReserveData> listed;
  EXPECT_EQ(client.EnumReserve(listed), 1u);
  EXPECT_EQ(client.EnumReserve(listed), 1u);
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

TEST(SrvFakeProgram, ServesAsAProcessOfItsOwn) {
  test::TempFolder folder("srv");
  test::ScopedEnv pipeDir("EPGTIMER_PIPE_DIR", folder.Path().c_str());
  const std::string eventName = test::UniqueSrvName("program");
  // The event prefix of the run goes along, as the client puts it first too.
  std::vector<std::string> env = {"EPGTIMER_PIPE_DIR=" + folder.Path().string()};
  if (const char* prefix = std::getenv("EPGTIMER_EVENT_PREFIX")) env.push_back(std::string("EPGTIMER_EVENT_PREFIX=") + prefix);
  const pid_t pid = test::StartProcess(PLIMOD_BINARY_DIR "/bin/fake_epgtimersrv",
                                       {"--pipe", "pipe", "--event", eventName}, env);
  ASSERT_GT(pid, 0);
  for (int i = 0; i < 200 && !std::filesystem::exists(folder.File("pipe")); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EpgTimerSrvClient client("pipe", eventName, 5'000, 1'000, 5'000);
  EXPECT_EQ(client.AddReserve({Reservation(L"demo")}), 1u);
  std::vector<SrvReserveData> listed;
  EXPECT_EQ(client.EnumReserve(listed), 1u);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].title, L"demo");
  test::StopProcess(pid, std::chrono::milliseconds(5'000));
  EXPECT_FALSE(std::filesystem::exists(folder.File("pipe")));
  NamedEvent::Remove(eventName);
}

}  // namespace
}  // namespace plimod
