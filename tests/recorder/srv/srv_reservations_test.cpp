#include <gtest/gtest.h>

#include "recorder/base/reserve_row.h"
#include "recorder/srv/cmd_stream.h"
#include "recorder/srv/srv_row_conversion.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/recorder/wire_bytes.h"

namespace plimod {
namespace {

using test::Header;
using test::Le32;
using test::WireVector;

constexpr std::uint32_t kWait = 15'000;

ReserveRow Row(const std::wstring& title, std::uint16_t day, std::uint16_t hour) {
  ReserveRow row;
  row.title = title;
  row.start = SystemTime{2026, 12, 0, day, hour, 0, 0, 0};
  row.duration = 1800;
  row.station = L"NHK";
  row.originalNetworkId = 0x7FE0;
  row.serviceId = 1024;
  row.eventId = 7;
  row.recordMode = 1;
  row.postAction = 0;
  row.folderText = L"D:\\rec*a.dll";
  return row;
}

SrvRecFileInfo Result(std::uint32_t id, std::uint16_t day, std::uint16_t hour) {
  SrvRecFileInfo result;
  result.resultId = id;
  result.title = L"done";
  result.fileText = L"D:\\rec\\done.ts";
  result.start = SystemTime{2026, 12, 0, day, hour, 0, 0, 0};
  result.duration = 600;
  return result;
}

class SrvReservationsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(srv_.Start()); }
  test::FakeEpgTimerSrv& server() { return srv_.server(); }
  test::ProgramSrvTestServer srv_;
};

TEST_F(SrvReservationsTest, AddGetChangeDeleteGoThroughTheServer) {
  EXPECT_TRUE(SrvListsRecordingResults());
  ASSERT_EQ(SrvAddReservation(Row(L"A", 9, 21), kWait), 0);
  ASSERT_EQ(SrvAddReservation(Row(L"B", 9, 22), kWait), 0);
  const SrvReserveData stored = server().State().reservations.at(0);
  EXPECT_EQ(stored.programStart.wHour, 21);  // the programme start is the row's start
  EXPECT_EQ(stored.setting.postAction, 4);
  ASSERT_EQ(stored.setting.folders.size(), 1u);

  ReserveRow got;
  ASSERT_EQ(SrvGetReservation(1, got, kWait), 0);
  EXPECT_EQ(got.title, L"A");
  EXPECT_EQ(got.reserveId, 1);
  EXPECT_EQ(got.postAction, 0);
  EXPECT_EQ(got.folderText, L"D:\\rec*a.dll");
  ReserveRow untouched;
  untouched.title = L"kept";
  EXPECT_EQ(SrvGetReservation(99, untouched, kWait), 1);
  EXPECT_EQ(untouched.title, L"kept");

  // A change keeps what the row does not carry from the server's record.
  test::FakeSrvState state = server().State();
  state.reservations[0].setting.optionA = 3;
  state.reservations[0].trailingWord = 0xABCD;
  server().SetState(state);
  got.title = L"A2";
  got.recordMode = 5;
  ASSERT_EQ(SrvChangeReservation(got, kWait), 0);
  const SrvReserveData changed = server().State().reservations.at(0);
  EXPECT_EQ(changed.title, L"A2");
  EXPECT_EQ(changed.setting.recordMode, 5);
  EXPECT_EQ(changed.setting.optionA, 3);
  EXPECT_EQ(changed.trailingWord, 0xABCDu);

  ReserveRow first;
  first.reserveId = 2;
  ReserveRow second;
  second.reserveId = 1;
  ASSERT_EQ(SrvDeleteReservations({first, second}, kWait), 0);
  EXPECT_TRUE(server().State().reservations.empty());
  EXPECT_EQ(server().BodiesOf(1014).back(), WireVector(2, Le32(2) + Le32(1)));
}

TEST_F(SrvReservationsTest, ChangeWhoseFetchFailsSendsNothingMore) {
  ReserveRow row = Row(L"gone", 9, 21);
  row.reserveId = 5;
  EXPECT_EQ(SrvChangeReservation(row, kWait), 1);
  EXPECT_EQ(server().BodiesOf(1012).size(), 1u);
  EXPECT_TRUE(server().BodiesOf(1015).empty());
}

TEST_F(SrvReservationsTest, ListingMergesResultsByStartLaterReceivedFirst) {
  test::FakeSrvState state;
  SrvReserveData late;
  ToSrvReserveData(Row(L"late", 10, 1), late);
  late.reserveId = 1;
  SrvReserveData earlyA;
  ToSrvReserveData(Row(L"earlyA", 9, 21), earlyA);
  earlyA.reserveId = 2;
  SrvReserveData earlyB = earlyA;
  earlyB.title = L"earlyB";
  earlyB.reserveId = 3;
  earlyB.start.wMilliseconds = 500;  // same second
  state.reservations = {late, earlyA, earlyB};
  // Among starts equal to the second, what is merged later comes first:
  // the results before the reservations, those before the rows already there.
  SrvRecFileInfo dropped = Result(5, 9, 21);
  dropped.start.wMilliseconds = 750;  // milliseconds do not count
  dropped.dropCount = 3;
  dropped.comment = L"ok";
  SrvRecFileInfo failed = Result(6, 8, 23);
  failed.fileText.clear();
  failed.status = 0x0102;
  failed.scrambleCount = 0x100000000ll;
  state.results = {dropped, failed};
  server().SetState(state);

  std::vector<ReserveRow> rows(1);
  rows[0].title = L"already there";
  rows[0].start = SystemTime{2026, 12, 0, 10, 1, 0, 0, 900};
  ASSERT_EQ(SrvEnumReservations(rows, kWait), 0);
  std::vector<std::wstring> titles;
  for (const ReserveRow& r : rows) titles.push_back(r.title);
  EXPECT_EQ(titles, (std::vector<std::wstring>{L"done", L"done", L"earlyB", L"earlyA", L"late",
                                               L"already there"}));
  const ReserveRow& failedRow = rows[0];
  EXPECT_EQ(failedRow.reserveId, -6);
  EXPECT_EQ(failedRow.unrecordable, 2u);  // a low byte above 1 wins over 0xFF00
  EXPECT_EQ(failedRow.recordMode, 5u);
  EXPECT_EQ(failedRow.comment, L" drop:0 scramble:4294967296");
  const ReserveRow& droppedRow = rows[1];
  EXPECT_EQ(droppedRow.reserveId, -5);
  EXPECT_EQ(droppedRow.comment, L"ok drop:3 scramble:0");
  EXPECT_EQ(droppedRow.unrecordable, 0u);
  EXPECT_EQ(droppedRow.recordMode, 1u);
  EXPECT_EQ(droppedRow.priority, 1);
  EXPECT_EQ(droppedRow.marginStart, 10u);
  EXPECT_EQ(droppedRow.marginEnd, 5u);
  EXPECT_EQ(droppedRow.postAction, 4);
  EXPECT_EQ(rows[2].start.wDayOfWeek, 3);  // normalised: 2026-12-09 is a Wednesday
}

TEST_F(SrvReservationsTest, FailedResultListingKeepsTheReservations) {
  ASSERT_EQ(SrvAddReservation(Row(L"A", 9, 21), kWait), 0);
  test::ScriptedReply failing;
  failing.code = 0;
  server().Script(1017, failing);
  std::vector<ReserveRow> rows;
  EXPECT_EQ(SrvEnumReservations(rows, kWait), 1);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].title, L"A");
}

TEST_F(SrvReservationsTest, TunerIdsKeepTheirLowByteAndAllOnesBecomesZero) {
  test::FakeSrvState state;
  state.tuners = {{0x1FF, L"BonDriver_T0.dll", {1, 2}}, {0xFFFFFFFF, L"BonDriver_S0.dll", {}}};
  server().SetState(state);
  std::vector<TunerReserveRow> tuners;
  ASSERT_EQ(SrvEnumTunerReservations(tuners, kWait), 0);
  ASSERT_EQ(tuners.size(), 2u);
  EXPECT_EQ(tuners[0].tunerId, 0xFFu);
  EXPECT_EQ(tuners[0].tunerName, L"BonDriver_T0.dll");
  EXPECT_EQ(tuners[0].reserveIds, (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(tuners[1].tunerId, 0u);
}

TEST_F(SrvReservationsTest, RecordedInfoDeletionReturnsTheServersCode) {
  test::FakeSrvState state;
  state.results = {Result(5, 9, 21)};
  server().SetState(state);
  EXPECT_EQ(SrvDeleteRecordedInfo({5}), 1u);
  EXPECT_TRUE(server().State().results.empty());
  EXPECT_EQ(server().Requests().back().bytes, Header(1018, 12) + WireVector(1, Le32(5)));
}

}  // namespace
}  // namespace plimod
