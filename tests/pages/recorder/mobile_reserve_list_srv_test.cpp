// The mobile reservation list's deletion against the test reservation
// server, through the client the program links, and in the text-file
// recorder's mode, where it must not reach for the server at all.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "pages/edcid.h"
#include "pages/mobile_page.h"
#include "recorder/reserve_list_load.h"
#include "tests/pages/recorder/recorder_page_fixture.h"
#include "tests/recorder/srv_test_server.h"
#include "util/keys.h"

namespace plimod::test {
namespace {

constexpr std::uint64_t kService = ServiceKey(1, 2, 3);

SrvReserveData Reservation(std::uint32_t id, std::uint16_t event) {
  SrvReserveData data;
  data.title = L"予約" + std::to_wstring(id);
  data.start = TimeOf(2025, 3, 2, 21, 0, 0);
  data.duration = 1800;
  data.station = L"局";
  data.originalNetworkId = 1;
  data.transportStreamId = 2;
  data.serviceId = 3;
  data.eventId = event;
  data.reserveId = id;
  return data;
}

std::string EdcidOf(std::uint16_t event, std::int32_t reserveId) {
  return MakeEdcid(ProgramKey(event, kService), reserveId);
}

class MobileReserveListSrvTest : public RecorderPageTest {
 protected:
  void SetUp() override {
    RecorderPageTest::SetUp();
    DispatcherJobs jobs;
    jobs.loadReserveList = [] { LoadReserveList(Settings()); };
    SetDispatcherJobs(jobs);
    ASSERT_TRUE(srv_.Start());
    FakeSrvState state;
    state.reservations = {Reservation(1, 0x11), Reservation(2, 0x12), Reservation(3, 0x13)};
    state.nextReserveId = 4;
    srv_.server().SetState(state);
  }
  std::string Mobile(const std::string& query) {
    return Run([](ReplyWriter& out, RequestParameters&, IniFile&) { return ServeMobilePage(out); }, query);
  }
  std::vector<std::uint32_t> ReserveIds() {
    std::vector<std::uint32_t> ids;
    for (const SrvReserveData& data : srv_.server().State().reservations) ids.push_back(data.reserveId);
    return ids;
  }

  ProgramSrvTestServer srv_;
};

TEST_F(MobileReserveListSrvTest, MenuHasTheReservationRowInTheServerModeWhileTheLinkIsOn) {
  UseRecorderIni("EpgTimerSrv.ini");
  const std::string row6 = "6.<a href='?c=n&w=20' accesskey=6>ETB予約list</a><br>\n</BODY>";
  EXPECT_TRUE(Contains(Mobile("w=20"), "5.<a href='?c=w&w=20' accesskey=5>検索</a><br>\n" + row6));
  Set(L"EPGDATACAP", L"ENABLE", L"0");
  EXPECT_FALSE(Contains(Mobile("w=20"), "ETB予約list"));
}

TEST_F(MobileReserveListSrvTest, DeletionRemovesTheReservationWhoseKeyMatchesAndTheListFollows) {
  UseRecorderIni("EpgTimerSrv.ini");
  // The key of event 0x11 with the id of another reservation: nothing goes.
  std::string page = Mobile("c=n&f=2&edcid=" + EdcidOf(0x11, 2) + "&d=1");
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(CountOf(page, "edcid="), 3);

  page = Mobile("c=n&f=2&w=20&edcid=" + EdcidOf(0x12, 2) + "&d=1");
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 3}));
  // The list as it now stands, the carried values kept.
  EXPECT_TRUE(Contains(page, "<A HREF='?w=20' accesskey=0>戻る</A> "));
  EXPECT_TRUE(Contains(page, ">予約1</a>"));
  EXPECT_FALSE(Contains(page, ">予約2</a>"));
  EXPECT_TRUE(Contains(page, ">予約3</a>"));
}

TEST_F(MobileReserveListSrvTest, DetailPagesDeleteLinkDeletesThroughTheServer) {
  UseRecorderIni("EpgTimerSrv.ini");
  Set(L"EPGDATACAP", L"ENABLE", L"1");
  AddService(kService, L"局");
  AddEvent(MakeEvent(kService, 0x13, At(2025, 3, 2, 21, 0), 30, L"予約3"));
  const std::string detail = Mobile("c=s&sid=100020003&eid=13");
  const std::string link = "?c=n&edcid=" + EdcidOf(0x13, 3) + "&d=1&";
  ASSERT_TRUE(Contains(detail, "予約済み <A HREF='" + link + "'>予約削除</A>")) << detail;
  Mobile(link.substr(1));
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(MobileReserveListSrvTest, TextFileRecorderModeNeverAsksTheServer) {
  std::ofstream(ProgramTxt(), std::ios::binary) << Line({.event = 0x12, .reserveId = 2, .title = L"予約2"}) << "\r\n";
  const std::string page = Mobile("c=n&f=2&edcid=" + EdcidOf(0x12, 2) + "&d=1");
  EXPECT_TRUE(srv_.server().Requests().empty());
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_TRUE(Contains(page, ">予約2</a>"));
}

}  // namespace
}  // namespace plimod::test
