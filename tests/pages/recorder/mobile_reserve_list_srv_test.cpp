// The mobile reservation list's deletion against the test reservation
// server, through the client the program links, and in the text-file
// recorder's mode, where it must not reach for the server at all.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "pages/mobile/mobile_page.h"
#include "recorder/lists/reserve_list_load.h"
#include "tests/pages/recorder/srv_page_fixture.h"

namespace plimod::test {
namespace {

constexpr std::uint64_t kService = ServiceKey(1, 2, 3);
constexpr char kDeleteFailure[] =
    "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nエラー\n予約サーバで削除できませんでした\n";

class MobileReserveListSrvTest : public SrvRecorderPageTest {
 protected:
  void SetUp() override {
    SrvRecorderPageTest::SetUp();
    DispatcherJobs jobs;
    jobs.loadReserveList = [] { LoadReserveList(Settings()); };
    jobs.loadShownReserveList = jobs.loadReserveList;
    SetDispatcherJobs(jobs);
    FakeSrvState state;
    state.reservations = {SrvReservation(1, 0x11), SrvReservation(2, 0x12), SrvReservation(3, 0x13)};
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
};

TEST_F(MobileReserveListSrvTest, MenuHasTheReservationRowInTheServerModeWhileTheLinkIsOn) {
  const std::string row6 = "6.<a href='?c=n&w=20' accesskey=6>ETB予約list</a><br>\n</BODY>";
  EXPECT_TRUE(Contains(Mobile("w=20"), "5.<a href='?c=w&w=20' accesskey=5>検索</a><br>\n" + row6));
  Set(L"EPGDATACAP", L"ENABLE", L"0");
  EXPECT_FALSE(Contains(Mobile("w=20"), "ETB予約list"));
}

TEST_F(MobileReserveListSrvTest, DeletionRemovesTheReservationWhoseKeyMatchesAndTheListFollows) {
  // The key of event 0x11 with the id of another reservation: nothing goes.
  std::string page = Mobile("c=n&f=2&edcid=" + SrvEdcidOf(0x11, 2) + "&d=1");
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(CountOf(page, "edcid="), 3);

  page = Mobile("c=n&f=2&w=20&edcid=" + SrvEdcidOf(0x12, 2) + "&d=1");
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 3}));
  // The list as it now stands, the carried values kept.
  EXPECT_TRUE(Contains(page, "<A HREF='?w=20' accesskey=0>戻る</A> "));
  EXPECT_TRUE(Contains(page, ">予約1</a>"));
  EXPECT_FALSE(Contains(page, ">予約2</a>"));
  EXPECT_TRUE(Contains(page, ">予約3</a>"));
}

TEST_F(MobileReserveListSrvTest, DetailPagesDeleteLinkDeletesThroughTheServer) {
  Set(L"EPGDATACAP", L"ENABLE", L"1");
  AddService(kService, L"局");
  AddEvent(MakeEvent(kService, 0x13, At(2025, 3, 2, 21, 0), 30, L"予約3"));
  const std::string detail = Mobile("c=s&sid=100020003&eid=13");
  const std::string link = "?c=n&edcid=" + SrvEdcidOf(0x13, 3) + "&d=1&";
  ASSERT_TRUE(Contains(detail, "予約済み <A HREF='" + link + "'>予約削除</A>")) << detail;
  Mobile(link.substr(1));
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(MobileReserveListSrvTest, TextFileRecorderModeNeverAsksTheServerAndSaysNothingWasDeleted) {
  UseRecorderIni("EpgTimer_Bon.ini");
  std::ofstream(ProgramTxt(), std::ios::binary) << Line({.event = 0x12, .reserveId = 2, .title = L"予約2"}) << "\r\n";
  EXPECT_EQ(Mobile("c=n&f=2&edcid=" + SrvEdcidOf(0x12, 2) + "&d=1"), kDeleteFailure);
  EXPECT_TRUE(srv_.server().Requests().empty());
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_TRUE(Contains(Mobile("c=n&f=2"), ">予約2</a>"));
}

TEST_F(MobileReserveListSrvTest, DeletionTheServerRefusesIsReportedAsTheDesktopListDoes) {
  ScriptedReply refused;
  refused.code = 9;  // a failure in both command sets
  srv_.server().Script(1014, refused);
  srv_.server().Script(61, refused);
  EXPECT_EQ(Mobile("c=n&f=2&edcid=" + SrvEdcidOf(0x12, 2) + "&d=1"), kDeleteFailure);
  EXPECT_EQ(ReserveIds(), (std::vector<std::uint32_t>{1, 2, 3}));
  srv_.server().Stop();  // nothing answers: the failure comes at once
  EXPECT_EQ(Mobile("c=n&f=2&edcid=" + SrvEdcidOf(0x12, 2) + "&d=1"), kDeleteFailure);
}

}  // namespace
}  // namespace plimod::test
