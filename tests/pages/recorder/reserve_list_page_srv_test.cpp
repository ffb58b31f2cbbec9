// The reservation list's confirmed actions against the test reservation
// server, through the client the program links.

#include <gtest/gtest.h>

#include <string>

#include "pages/recorder/reserve_list_page.h"
#include "recorder/base/reserve_row.h"
#include "tests/pages/recorder/srv_page_fixture.h"

namespace plimod::test {
namespace {

SrvRecFileInfo Result(std::uint32_t id, std::uint16_t event) {
  SrvRecFileInfo info;
  info.resultId = id;
  info.title = L"結果";
  info.start = TimeOf(2025, 2, 28, 21, 0, 0);
  info.duration = 1800;
  info.station = L"局";
  info.originalNetworkId = 1;
  info.transportStreamId = 2;
  info.serviceId = 3;
  info.eventId = event;
  return info;
}

class ReserveListSrvTest : public SrvRecorderPageTest {
 protected:
  void SetUp() override {
    SrvRecorderPageTest::SetUp();
    FakeSrvState state;
    state.reservations = {SrvReservation(1, 0x11), SrvReservation(2, 0x12), SrvReservation(3, 0x13)};
    state.results = {Result(7, 0x21)};
    state.nextReserveId = 4;
    srv_.server().SetState(state);
  }
  std::string Post(const std::string& fields) {
    return Run(ServeReserveListPage, "cmd=epgtimer&token=" + token_ + "&" + fields);
  }
  std::vector<std::uint32_t> ReserveIds() {
    std::vector<std::uint32_t> ids;
    for (const SrvReserveData& data : srv_.server().State().reservations) ids.push_back(data.reserveId);
    return ids;
  }
};

TEST_F(ReserveListSrvTest, ConfirmedDeleteRemovesCheckedReservationsAndResults) {
  // Only the client that lists results deletes them; to the other the
  // result's name is one it holds nothing of.
  const std::string answer = SrvListsRecordingResults() ? "削除しました\n" : "エラー\n予約サーバで削除できませんでした\n";
  EXPECT_EQ(Post("confirm=2&delete=1&silent=1&" + SrvEdcidOf(0x12, 2) + "=1&" + SrvEdcidOf(0x21, -7) + "=1"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n" + answer);
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 3}));
  EXPECT_EQ(srv_.server().State().results.empty(), SrvListsRecordingResults());
}

TEST_F(ReserveListSrvTest, ConfirmedDisableSetsRecordModeAndUnchecksTheRow) {
  const std::string page = Post("confirm=2&invalid=1&" + SrvEdcidOf(0x11, 1) + "=1");
  EXPECT_TRUE(Contains(page, "チェックしたものを無効"));
  const FakeSrvState state = srv_.server().State();
  ASSERT_EQ(state.reservations.size(), 3u);
  EXPECT_EQ(state.reservations[0].setting.recordMode, 5u);
  EXPECT_EQ(state.reservations[1].setting.recordMode, 1u);
  EXPECT_FALSE(Contains(page, "checked"));
}

TEST_F(ReserveListSrvTest, RefusedDeleteOrDisableAnswersAnError) {
  const std::string header = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";
  const FakeSrvState before = srv_.server().State();
  // The two command sets number the commands and their failure differently.
  const bool newer = SrvListsRecordingResults();
  ScriptedReply refuse;
  refuse.code = newer ? 0 : 1;
  srv_.server().Script(newer ? 1014 : 61, refuse);
  srv_.server().Script(newer ? 1015 : 15, refuse);
  EXPECT_EQ(Post("confirm=2&delete=1&silent=1&" + SrvEdcidOf(0x12, 2) + "=1"),
            header + "エラー\n予約サーバで削除できませんでした\n");
  EXPECT_EQ(Post("confirm=2&invalid=1&silent=1&" + SrvEdcidOf(0x11, 1) + "=1"),
            header + "エラー\n予約サーバで無効にできませんでした\n");
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(srv_.server().State().reservations[0].setting.recordMode, before.reservations[0].setting.recordMode);
}

TEST_F(ReserveListSrvTest, WrongTokenChangesNothing) {
  Run(ServeReserveListPage, "cmd=epgtimer&confirm=2&delete=1&token=bad&" + SrvEdcidOf(0x11, 1) + "=1");
  Run(ServeReserveListPage, "cmd=epgtimer&confirm=2&delete=1&" + SrvEdcidOf(0x11, 1) + "=1");
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 2, 3}));
}

}  // namespace
}  // namespace plimod::test
