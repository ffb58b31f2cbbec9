// Adding, changing and deleting reservations in the reservation-server
// mode, against the test server through the program's own client.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "recorder/changes/reservations.h"
#include "recorder/base/reserve_row.h"
#include "recorder/lists/reserve_entry.h"
#include "recorder/lists/reserve_list_keep.h"
#include "tests/recorder/recorder_fixture.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/support/fixed_clock.h"
#include "util/keys.h"

namespace plimod {
namespace {

using test::Sjis;

constexpr std::uint32_t kWait = 15'000;
constexpr std::uint64_t kKey = ProgramKey(0x1234, ServiceKey(0x7FE0, 0x7FE1, 0x400));

std::uint64_t RowKey(const ReserveRow& row) {
  return ProgramKey(row.eventId,
                    ServiceKey(row.originalNetworkId, row.transportStreamId, row.serviceId));
}

ReserveLine ServerLine() {
  ReserveLine line;
  line.networkId = 0x17FE0;  // ids are 16 bits wide on the way out
  line.transportStreamId = 0x7FE1;
  line.serviceId = 0x400;
  line.eventId = 0x1234;
  line.title = Sjis(L"題\t名&lt;1&gt;\uFF5E");
  line.station = Sjis(L"ＢＳ１");
  line.batchPath = "\"C:\\a b.bat\"";
  line.comment = "note\r\n";
  line.recFolder = "D:\\rec*a.dll\tE:\\tv";
  line.start = test::TimeOf(2026, 12, 24, 21, 0, 0);
  line.durationHours = 1;
  line.durationMinutes = 30;
  line.durationSeconds = 5;
  line.priority = 3;
  line.follow = 1;
  line.recordMode = 1;
  line.pittari = 1;
  line.postAction = 2;
  line.resumeRestart = 1;
  line.marginEnable = 1;
  line.marginStart = 60;
  line.marginEnd = 30;
  line.serviceOptions = 6;
  return line;
}

class ReservationsSrvTest : public test::RecorderTest {
 protected:
  void SetUp() override {
    UseServerRecorder();
    ASSERT_TRUE(srv_.Start());
  }
  ReserveRow Stored(std::uint32_t reserveId) {
    ReserveRow row;
    EXPECT_EQ(SrvGetReservation(reserveId, row, kWait), 0);
    return row;
  }
  test::ProgramSrvTestServer srv_;
};

TEST_F(ReservationsSrvTest, AddSendsTheLineAsARow) {
  ASSERT_TRUE(AddReservation(settings_, ServerLine()));
  EXPECT_FALSE(std::filesystem::exists(ProgramTxt()));
  const ReserveRow row = Stored(1);
  EXPECT_EQ(row.title, L"題 名<1>\uFF5E");
  EXPECT_EQ(row.station, L"ＢＳ１");
  EXPECT_EQ(RowKey(row), kKey);
  EXPECT_EQ(row.start.wHour, 21);
  EXPECT_EQ(row.duration, 5405u);
  EXPECT_EQ(row.priority, 3);
  EXPECT_EQ(row.pittari, 1u);
  EXPECT_EQ(row.comment, L"note  ");
  EXPECT_EQ(row.batchPath, L"C:\\a b.bat");
  EXPECT_EQ(row.folderText, L"D:\\rec*a.dll\tE:\\tv");
  EXPECT_EQ(row.postAction, 2);
  EXPECT_EQ(row.resumeRestart, 1u);
  EXPECT_EQ(row.marginStart, 60u);
  EXPECT_EQ(row.marginEnd, 30u);
  EXPECT_EQ(row.serviceFlags, 0x30u);

  test::ScriptedReply refusal;
  refusal.code = 0;
  refusal.uses = 1;
  srv_.server().Script(1013, refusal);
  ReserveLine other = ServerLine();
  other.eventId = 0x1235;  // not reserved yet, so the add is sent
  EXPECT_FALSE(AddReservation(settings_, other));
  EXPECT_EQ(srv_.server().State().reservations.size(), 1u);
}

TEST_F(ReservationsSrvTest, AnAddLoadsTheKeptListAgainAndTheServerTellsTheNewId) {
  ASSERT_TRUE(StartReserveListRefresh(settings_));
  ASSERT_TRUE(ReserveListToShow(settings_)->reserveList.empty());
  ASSERT_EQ(AddNewReservations(settings_, {ServerLine()}), std::vector<AddOutcome>{AddOutcome::kAdded});
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (CurrentReserveLists()->reserveList.empty() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  StopReserveListRefresh();
  EXPECT_EQ(CurrentReserveLists()->reserveList.size(), 1u) << "the list was not loaded again after the add";
  // A page that named it without an id asks the server by programme.
  EXPECT_EQ(ServerReserveIdOf(kKey, kReserveIdNotKnown), 1);
  EXPECT_EQ(ServerReserveIdOf(kKey, 4), 4);
  EXPECT_FALSE(ServerReserveIdOf(kKey + 1, kReserveIdNotKnown));
}

TEST_F(ReservationsSrvTest, SeveralAddsGoInOneCommandLessTheProgrammesReservedAlready) {
  ASSERT_TRUE(AddReservation(settings_, ServerLine()));
  std::vector<ReserveLine> lines(4, ServerLine());
  lines[0].eventId = lines[2].eventId = 0x1235;
  lines[1].eventId = 0x1236;  // lines[3]: reserved above
  EXPECT_EQ(AddNewReservations(settings_, lines),
            (std::vector<AddOutcome>{AddOutcome::kAdded, AddOutcome::kAdded, AddOutcome::kAlreadyReserved,
                                     AddOutcome::kAlreadyReserved}));
  EXPECT_EQ(srv_.server().BodiesOf(1013).size(), 2u);
  EXPECT_EQ(srv_.server().State().reservations.size(), 3u);
}

TEST_F(ReservationsSrvTest, AListAddThatFailsWholeIsSentAgainRowByRowLessWhatTheServerTook) {
  std::vector<ReserveLine> lines(5, ServerLine());
  for (std::uint16_t i = 0; i < lines.size(); ++i) lines[i].eventId = 0x2000 + i;
  // The server took the list and its answer was cut short: nothing again.
  test::ScriptedReply cut;
  cut.statedSize = 64;
  cut.actFirst = true;
  cut.uses = 1;
  srv_.server().Script(1013, cut);
  EXPECT_EQ(AddNewReservations(settings_, {lines[0], lines[1], lines[2]}),
            std::vector<AddOutcome>(3, AddOutcome::kAdded));
  EXPECT_EQ(srv_.server().BodiesOf(1013).size(), 1u);
  // Refused whole: each row again on its own.
  test::ScriptedReply refused;
  refused.code = 0;
  refused.uses = 1;
  srv_.server().Script(1013, refused);
  EXPECT_EQ(AddNewReservations(settings_, {lines[2], lines[3], lines[4]}),
            (std::vector<AddOutcome>{AddOutcome::kAlreadyReserved, AddOutcome::kAdded, AddOutcome::kAdded}));
  EXPECT_EQ(srv_.server().BodiesOf(1013).size(), 4u);
  EXPECT_EQ(srv_.server().State().reservations.size(), 5u);
}

TEST_F(ReservationsSrvTest, ChangeOverwritesTheLineValuesOfTheSameProgramme) {
  ASSERT_TRUE(AddReservation(settings_, ServerLine()));
  ReserveLine changed = ServerLine();
  changed.title = "new";
  changed.comment = "not sent";
  changed.recordMode = kRecordModeDisabled;
  changed.batchPath = "def";
  changed.recFolder = "def";
  changed.serviceOptions = 1;

  EXPECT_FALSE(ChangeReservation(changed, kKey + 1, 1));  // another programme now
  EXPECT_FALSE(ChangeReservation(changed, kKey, 2));      // no such reservation
  EXPECT_EQ(Stored(1).title, L"題 名<1>\uFF5E");

  ASSERT_TRUE(ChangeReservation(changed, kKey, 1));
  ReserveRow row = Stored(1);
  EXPECT_EQ(row.title, L"new");
  EXPECT_EQ(row.recordMode, 5u);
  EXPECT_EQ(row.serviceFlags, 0x01u);
  EXPECT_EQ(row.comment, L"note  ");               // the server's
  EXPECT_EQ(row.batchPath, L"C:\\a b.bat");         // "def": kept
  EXPECT_EQ(row.folderText, L"D:\\rec*a.dll\tE:\\tv");

  changed.batchPath.clear();
  changed.recFolder = "\"F:\\x\"";
  ASSERT_TRUE(ChangeReservation(changed, kKey, 1));
  row = Stored(1);
  EXPECT_TRUE(row.batchPath.empty());
  EXPECT_EQ(row.folderText, L"F:\\x");
}

TEST_F(ReservationsSrvTest, DeleteOnlyTheSameProgramme) {
  ASSERT_TRUE(AddReservation(settings_, ServerLine()));
  EXPECT_FALSE(DeleteReservation(kKey + 1, 1));
  EXPECT_EQ(srv_.server().State().reservations.size(), 1u);
  EXPECT_TRUE(DeleteReservation(kKey, 1));
  EXPECT_TRUE(srv_.server().State().reservations.empty());
  EXPECT_FALSE(DeleteReservation(kKey, 1));
}

}  // namespace
}  // namespace plimod
