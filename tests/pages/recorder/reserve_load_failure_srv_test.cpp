// The pages that show the reservation list while the recorder cannot be
// reached (the test server stopped) or its Program.txt read: the list as
// last loaded with a line above it, until a load goes through again.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pages/mobile/mobile_page.h"
#include "pages/recorder/edcb_status_page.h"
#include "pages/recorder/reserve_list_page.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_load.h"
#include "tests/pages/recorder/srv_page_fixture.h"

namespace plimod::test {
namespace {

constexpr std::uint64_t kService = ServiceKey(1, 2, 3);
constexpr const char* kServerLine = "<font color=red>予約サーバから予約を取得できませんでした</font><BR>\n";
constexpr const char* kPhoneLine = "予約ｻｰﾊﾞから予約を取得できませんでした<br>\n";

class ReserveLoadFailureTest : public SrvRecorderPageTest {
 protected:
  void SetUp() override {
    SrvRecorderPageTest::SetUp();
    FakeSrvState state;
    state.reservations = {SrvReservation(1, 0x11), SrvReservation(2, 0x12), SrvReservation(3, 0x13)};
    srv_.server().SetState(state);
  }
  void TearDown() override {
    StopReserveListRefresh();
    SrvRecorderPageTest::TearDown();
  }
  std::string ListPage() { return Run(ServeReserveListPage, "cmd=epgtimer&f=2"); }
  std::string PhoneList() {
    return Run([](ReplyWriter& out, RequestParameters&, IniFile&) { return ServeMobilePage(out); }, "c=n&f=2");
  }
  std::string StatusPage() { return Run(ServeEpgDataCapStatusPage, "cmd=edcb"); }
  // The rows of each page, and whether each says the load failed.
  void ExpectPages(int rows, bool failed, const std::string& line = kServerLine) {
    const std::string list = ListPage();
    EXPECT_EQ(CountOf(list, "<input type=checkbox name='E_"), rows);
    EXPECT_EQ(Contains(list, "<BR>\n" + line + "<form method=post"), failed) << list;
    const std::string phone = PhoneList();
    EXPECT_EQ(CountOf(phone, "edcid="), rows);
    if (line == kServerLine) {
      EXPECT_EQ(Contains(phone, "<hr>\n" + std::string(kPhoneLine)), failed) << phone;
    }
    const std::string status = StatusPage();
    EXPECT_EQ(Contains(status, "次の予約<BR>\n" + line), failed) << status;
    EXPECT_EQ(Contains(status, "予約1<BR>\n"), rows > 0);
  }
};

TEST_F(ReserveLoadFailureTest, AServerOutOfReachKeepsTheListWithALineUntilItAnswersAgain) {
  (void)LoadReserveList(Settings());
  ExpectPages(3, false);
  srv_.server().Stop();
  (void)LoadReserveList(Settings());  // a reload asked for
  ExpectPages(3, true);
  // What marks the programme table and the front page stays.
  EXPECT_NE(FindReserve(*CurrentReserveLists(), kService, 0x12), nullptr);
  ASSERT_TRUE(srv_.Start());
  (void)LoadReserveList(Settings());
  ExpectPages(3, false);
}

TEST_F(ReserveLoadFailureTest, AFirstLoadThatFailsShowsAnEmptyListWithTheLine) {
  srv_.server().Stop();
  ASSERT_TRUE(StartReserveListRefresh(Settings()));
  ExpectPages(0, true);
}

TEST_F(ReserveLoadFailureTest, AProgramTxtMovedAwayKeepsTheListWithItsOwnLine) {
  UseRecorderIni("EpgTimer_Bon.ini");
  WriteFileBytes(ProgramTxt(), Line({.event = 0x11, .reserveId = 1, .title = L"予約1"}) + "\r\n" +
                                   Line({.event = 0x12, .reserveId = 2}) + "\r\n" + Line({.event = 0x13, .reserveId = 3}) +
                                   "\r\n");
  (void)LoadReserveList(Settings());
  ExpectPages(3, false);
  const std::filesystem::path away = ProgramTxt().string() + ".away";
  std::filesystem::rename(ProgramTxt(), away);
  (void)LoadReserveList(Settings());
  ExpectPages(3, true, "<font color=red>Program.txtオープンエラー " + ProgramTxt().string() + "</font><BR>\n");
  std::filesystem::rename(away, ProgramTxt());
  (void)LoadReserveList(Settings());
  ExpectPages(3, false);
}

}  // namespace
}  // namespace plimod::test
