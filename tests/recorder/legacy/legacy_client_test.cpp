#include "recorder/legacy/epgtimer_srv_legacy_client.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "recorder/legacy/legacy_records.h"
#include "recorder/lists/reserve_list_load.h"
#include "recorder/srv/srv_row_conversion.h"
#include "tests/recorder/recorder_fixture.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/recorder/wire_bytes.h"

namespace plimod {
namespace {

namespace legacy = EpgTimerSrvLegacyClient;
using test::Header;
using test::ScriptedReply;

constexpr std::uint32_t kWait = 5'000;

ReserveRow Row(const std::wstring& title, std::uint16_t hour) {
  ReserveRow row;
  row.title = title;
  row.start = SystemTime{2026, 12, 3, 9, hour, 0, 0, 0};
  row.duration = 1800;
  row.postAction = 4;
  row.marginStart = 10;
  row.marginEnd = 2;
  return row;
}

std::string RecordOf(const ReserveRow& row) {
  CommandPacket packet;
  legacy::WriteReserveRecord(row, packet);
  return test::Text(packet.data);
}

ScriptedReply Reply(std::uint32_t code, std::string body, int uses = 1) {
  ScriptedReply reply;
  reply.code = code;
  reply.body = std::move(body);
  reply.uses = uses;
  return reply;
}

class LegacyClientTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(srv_.Start()); }
  test::FakeEpgTimerSrv& server() { return srv_.server(); }

  // Commands and connections of the requests the server saw.
  std::vector<std::pair<std::uint32_t, int>> Exchanges() {
    std::vector<std::pair<std::uint32_t, int>> out;
    for (const auto& r : server().Requests()) {
      out.emplace_back(static_cast<unsigned char>(r.bytes[0]), r.connection);
    }
    return out;
  }

  test::ProgramSrvTestServer srv_;
};

TEST_F(LegacyClientTest, ReservationsRoundTripThroughTheServer) {
  EXPECT_FALSE(SrvListsRecordingResults());
  ASSERT_EQ(SrvAddReservation(Row(L"late", 23), kWait), 0);
  ASSERT_EQ(SrvAddReservation(Row(L"early", 20), kWait), 0);
  EXPECT_EQ(server().BodiesOf(13).at(0), RecordOf(Row(L"late", 23)));
  // Stored as the newer set holds it: the post action exchanged there.
  EXPECT_EQ(server().State().reservations.at(0).setting.postAction, 0);

  ReserveRow got;
  ASSERT_EQ(SrvGetReservation(2, got, kWait), 0);
  EXPECT_EQ(got.title, L"early");
  EXPECT_EQ(got.postAction, 4);
  got.title = L"early2";
  ASSERT_EQ(SrvChangeReservation(got, kWait), 0);

  std::vector<ReserveRow> rows;
  ASSERT_EQ(SrvEnumReservations(rows, kWait), 0);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].title, L"late");  // the server's order, not sorted
  EXPECT_EQ(rows[1].title, L"early2");

  ASSERT_EQ(SrvDeleteReservations(rows, kWait), 0);
  EXPECT_TRUE(server().State().reservations.empty());
  EXPECT_EQ(server().BodiesOf(61).at(0).size(), 4 + (4 + RecordOf(rows[0]).size()) +
                                                    (4 + RecordOf(rows[1]).size()));
}

TEST_F(LegacyClientTest, ListWalksRunOnOneConnection) {
  for (const wchar_t* title : {L"a", L"b", L"c"}) ASSERT_EQ(SrvAddReservation(Row(title, 20), kWait), 0);
  const std::size_t before = server().Requests().size();
  std::vector<ReserveRow> rows;
  ASSERT_EQ(legacy::EnumReservations(rows, kWait), 0u);
  EXPECT_EQ(rows.size(), 3u);
  std::vector<std::pair<std::uint32_t, int>> walk = Exchanges();
  walk.erase(walk.begin(), walk.begin() + static_cast<std::ptrdiff_t>(before));
  ASSERT_EQ(walk.size(), 3u);
  EXPECT_EQ(walk[0].first, 10u);
  EXPECT_EQ(walk[1].first, 11u);
  EXPECT_EQ(walk[2].first, 11u);
  EXPECT_EQ(walk[0].second, walk[2].second);

  test::FakeSrvState state;
  state.tuners = {{0x1FF, L"BonDriver_T0.dll", {1}}, {0xFFFFFFFF, L"BonDriver_S0.dll", {}}};
  server().SetState(state);
  std::vector<TunerReserveRow> tuners;
  ASSERT_EQ(SrvEnumTunerReservations(tuners, kWait), 0);
  ASSERT_EQ(tuners.size(), 2u);
  EXPECT_EQ(tuners[0].tunerId, 0x1FFu);
  EXPECT_EQ(tuners[0].reserveIds, (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(tuners[1].tunerId, 0xFFFFFFFFu);
}

TEST_F(LegacyClientTest, WalksEndOnOtherCodesAndKeepEarlierRows) {
  std::vector<ReserveRow> rows;
  server().Script(10, Reply(3, RecordOf(Row(L"x", 20))));
  EXPECT_EQ(legacy::EnumReservations(rows, kWait), 3u);
  EXPECT_TRUE(rows.empty());

  // An item, then one whose title runs past the body.
  std::string broken = RecordOf(Row(L"y", 20));
  broken.replace(0, 4, test::Le32(5000));
  server().Script(10, Reply(2, RecordOf(Row(L"first", 20))));
  server().Script(11, Reply(2, broken));
  EXPECT_EQ(legacy::EnumReservations(rows, kWait), 1u);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].title, L"first");

  // An item code with no body adds nothing.
  rows.clear();
  server().Script(10, Reply(2, ""));
  server().Script(11, Reply(0, RecordOf(Row(L"last", 20))));
  EXPECT_EQ(legacy::EnumReservations(rows, kWait), 0u);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].title, L"last");
}

TEST_F(LegacyClientTest, EndlessWalkIsCutOff) {
  // 2 MiB a reply, most of it beyond the record.
  const std::string big = RecordOf(Row(L"x", 20)) + std::string(2 << 20, '\0');
  server().Script(10, Reply(2, big, -1));
  server().Script(11, Reply(2, big, -1));
  std::vector<ReserveRow> rows;
  EXPECT_EQ(legacy::EnumReservations(rows, kWait), 1u);
  EXPECT_LE(rows.size(), 33u);
}

TEST_F(LegacyClientTest, GetReservationNeedsAWholeRecord) {
  const std::string full = RecordOf(Row(L"r", 20));
  ReserveRow row;
  server().Script(12, Reply(0, full.substr(0, full.size() - 16)));  // ends after the extra text
  ASSERT_EQ(legacy::GetReservation(1, row, kWait), 0u);
  EXPECT_EQ(row.marginStart, 10u);
  EXPECT_EQ(row.marginEnd, 2u);

  row.title = L"kept";
  server().Script(12, Reply(0, full.substr(0, 40)));
  EXPECT_EQ(legacy::GetReservation(1, row, kWait), 1u);
  server().Script(12, Reply(0, ""));
  EXPECT_EQ(legacy::GetReservation(1, row, kWait), 1u);
  server().Script(12, Reply(9, full));
  EXPECT_EQ(legacy::GetReservation(1, row, kWait), 9u);
  EXPECT_EQ(row.title, L"kept");
  EXPECT_EQ(server().Requests().back().bytes, Header(12, 4) + test::Le32(1));
}

TEST_F(LegacyClientTest, HostileRepliesFailWithoutHarm) {
  ScriptedReply lying = Reply(0, "abc");
  lying.statedSize = 0xFFFFFFFF;
  server().Script(13, lying);
  EXPECT_EQ(legacy::AddReservation(Row(L"a", 20), kWait), 1u);
  ScriptedReply cut = Reply(0, RecordOf(Row(L"a", 20)));
  cut.closeAfterBodyBytes = 10;
  server().Script(10, cut);
  std::vector<ReserveRow> rows;
  EXPECT_EQ(legacy::EnumReservations(rows, kWait), 1u);
  EXPECT_TRUE(rows.empty());
}

// The walk fails within a second when the server closes after the header
// or inside the body, whatever an earlier call left in errno: it must not
// wait out its 30 s for bytes a closed peer never sends.
TEST_F(LegacyClientTest, AServerThatClosesMidReplyFailsTheWalkAtOnce) {
  for (const std::size_t sent : {std::size_t{0}, std::size_t{10}}) {
    ScriptedReply cut = Reply(2, RecordOf(Row(L"a", 20)));
    cut.closeAfterBodyBytes = sent;
    server().Script(10, cut);
    std::uint32_t code = legacy::kSuccess;
    const auto took = test::TimeCommand(
        [&] {
          std::vector<ReserveRow> rows;
          errno = EAGAIN;
          code = legacy::EnumReservations(rows, kWait);
        },
        std::chrono::seconds(5));
    EXPECT_EQ(code, 1u) << sent;
    EXPECT_LT(took, std::chrono::seconds(1)) << "after " << sent << " bytes";
  }
}

class LegacyReserveListTest : public test::RecorderTest {
 protected:
  void SetUp() override {
    UseServerRecorder();
    ASSERT_TRUE(srv_.Start());
  }
  ~LegacyReserveListTest() override { PublishReserveLists(nullptr); }

  test::ProgramSrvTestServer srv_;
};

TEST_F(LegacyReserveListTest, ARefusedRecordIsAFailedLoadLoggedOnceUntilALoadGoesThrough) {
  test::ScopedEnv home("PLIMOD_HOME", folder_.Path().c_str());
  ResetLogForTesting();
  SetLogSwitch([] { return true; });
  ASSERT_EQ(SrvAddReservation(Row(L"kept", 20), kWait), 0);
  std::string broken = RecordOf(Row(L"y", 20));
  broken.replace(0, 4, test::Le32(5000));  // a title past the body
  const auto loadRefused = [&] {
    srv_.server().Script(10, Reply(0, broken));
    (void)LoadReserveList(settings_);
  };
  const auto logged = [&] { return test::TimesLogged(folder_, L"予約サーバの予約一覧を読めませんでした\n"); };
  ASSERT_EQ(LoadReserveList(settings_)->reserveList.size(), 1u);
  loadRefused();
  loadRefused();
  EXPECT_EQ(logged(), 1);
  ASSERT_EQ(LoadReserveList(settings_)->reserveList.size(), 1u);
  loadRefused();
  EXPECT_EQ(logged(), 2);
}

TEST(LegacyClientWithoutServer, NoServerTimesOut) {
  test::TempFolder folder("srv");
  test::ScopedEnv pipeDir("EPGTIMER_PIPE_DIR", folder.Path().c_str());
  test::ScopedEnv prefix("EPGTIMER_EVENT_PREFIX", test::UniqueSrvName("none").c_str());
  // Nothing listens: the time-out code at once, not after the wait.
  const auto start = std::chrono::steady_clock::now();
  ReserveRow row;
  EXPECT_EQ(legacy::GetReservation(1, row, 20'000), 7u);
  std::vector<ReserveRow> rows;
  EXPECT_EQ(legacy::EnumReservations(rows, 20'000), 7u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ASSERT_TRUE(NamedEvent::CreateOrOpen("EpgTimerSrvConnect").Set());
  EXPECT_EQ(legacy::EnumReservations(rows, 100), 5u);
  NamedEvent::Remove("EpgTimerSrvConnect");
}

}  // namespace
}  // namespace plimod
