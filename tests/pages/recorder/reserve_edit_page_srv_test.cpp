// The reservation edit page with the reservation server, through the
// client the program links: the form (found in the recorder's text files),
// the change and the disable.

#include <gtest/gtest.h>

#include <string>

#include "pages/recorder/reserve_edit_page.h"
#include "recorder/base/reserve_row.h"
#include "tests/pages/recorder/srv_page_fixture.h"

namespace plimod::test {
namespace {

constexpr const char* kPlain = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";
constexpr const char* kToList = "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=epgtimer&mode=station\n\n";

SrvReserveData Reservation(std::uint32_t id, std::uint16_t event) {
  SrvReserveData data = SrvReservation(id, event);
  data.setting.batchPath = L"/srv/keep.bat";
  data.setting.folders = {SrvRecFolder{{L"/srv/rec", L"", L"", L""}}};
  return data;
}

std::string Form(const std::string& edcid, const std::string& extra) {
  return "cmd=edc_edit&edcid=" + edcid +
         "&edc_title=%E6%96%B0%09T&edc_station=S2&edc_Y=2025&edc_M=4&edc_D=30&edc_h=21&edc_m=5&edc_s=6"
         "&edc_ttl_h=1&edc_ttl_m=2&edc_ttl_s=3&edc_priority=5&edc_forrow=0&edc_recmode=2&edc_ext1=1"
         "&edc_postaction=2&edc_resumerestart=1&edc_margin_enable=1&edc_margin_s=20&edc_margin_e=25"
         "&edc_service_enable=1&edc_service_carousel=1&mode=station&" + extra;
}

class ReserveEditSrvTest : public SrvRecorderPageTest {
 protected:
  void SetUp() override {
    SrvRecorderPageTest::SetUp();
    FakeSrvState state;
    state.reservations = {Reservation(1, 0x11), Reservation(2, 0x12)};
    state.nextReserveId = 3;
    srv_.server().SetState(state);
    // The page finds reservations in the recorder's text files: a short
    // line, and one with every optional field (folder, post action,
    // resume-restart, margins, service bits 0x01 | 0x10).
    WriteFileBytes(ProgramTxt(), Line({.event = 0x11, .reserveId = 1}) + "\r\n" +
                                     Line({.event = 0x12, .reserveId = 2, .batch = "a.bat"}) +
                                     "\t/txt/rec\t2\t1\t0\t1\t30\t15\t17\r\n");
  }
  std::string Show(const std::string& edcid) { return Run(ServeReserveEditPage, "cmd=edc_edit&edcid=" + edcid); }
  SrvReserveData Stored(std::size_t index) { return srv_.server().State().reservations.at(index); }
};

TEST_F(ReserveEditSrvTest, ShowAddsTheServerOptionsOfTheLine) {
  std::string page = Show(SrvEdcidOf(0x12, 2));
  EXPECT_TRUE(Contains(page, "<select name='edc_recdir'><option value='def' selected=selected>/txt/rec</option>"))
      << page;
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='edc_resumerestart' value=1 checked>"));
  EXPECT_TRUE(Contains(page, "<input name=edc_margin_s value='30' size=3> 秒　終了 <input name=edc_margin_e value='15' size=3>"));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='edc_service_enable' value=1 checked>"));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='edc_service_caption' value=1 checked>"));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='edc_service_carousel' value=1>"));

  // Exactly 17 fields: no folder, post action, margins or service options.
  page = Show(SrvEdcidOf(0x11, 1));
  EXPECT_TRUE(Contains(page, "<select name='edc_recdir'><option value='none' selected=selected>"));
  EXPECT_TRUE(Contains(page, "<input name=edc_margin_s value='0' size=3>"));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='edc_service_enable' value=1>"));
}

TEST_F(ReserveEditSrvTest, SaveChangesTheServersReservation) {
  Settings().InsertIndexed(L"EDCB_BATCHLIST", -1, L"/list/one.bat");
  Settings().InsertIndexed(L"EDCB_RECDIR", -1, L"/list/rec");

  // "def" keeps what the server holds.
  EXPECT_EQ(Save(ServeReserveEditPage, Form(SrvEdcidOf(0x12, 2), "edc_ext2=def&edc_recdir=def")), kToList);
  SrvReserveData row = Stored(1);
  EXPECT_EQ(row.title, L"新 T");
  EXPECT_EQ(row.station, L"S2");
  EXPECT_EQ(row.start.wMonth, 4);
  EXPECT_EQ(row.start.wDay, 30);
  EXPECT_EQ(row.start.wHour, 21);
  EXPECT_EQ(row.start.wMinute, 5);
  EXPECT_EQ(row.duration, 3723u);
  EXPECT_EQ(row.eventId, 0x12);
  EXPECT_EQ(row.setting.priority, 5);
  EXPECT_EQ(row.setting.follow, 0);
  EXPECT_EQ(row.setting.recordMode, 2);
  EXPECT_EQ(row.setting.pittari, 1);
  EXPECT_EQ(row.setting.batchPath, L"/srv/keep.bat");
  ASSERT_EQ(row.setting.folders.size(), 1u);
  EXPECT_EQ(row.setting.folders[0].parts[0], L"/srv/rec");
  EXPECT_EQ(row.setting.resumeRestart, 1);
  EXPECT_EQ(row.setting.marginEnable, 1);
  EXPECT_EQ(row.setting.marginStart, 20u);
  EXPECT_EQ(row.setting.marginEnd, 25u);
  EXPECT_EQ(row.setting.serviceFlags, 0x21u);
  EXPECT_EQ(Stored(0).title, L"予約1") << "only the named reservation changes";

  // List numbers take the lists' entries; "none" empties.
  Save(ServeReserveEditPage, Form(SrvEdcidOf(0x12, 2), "edc_ext2=1&edc_recdir=0"));
  row = Stored(1);
  EXPECT_EQ(row.setting.batchPath, L"/list/one.bat");
  ASSERT_EQ(row.setting.folders.size(), 1u);
  EXPECT_EQ(row.setting.folders[0].parts[0], L"/list/rec");
  Save(ServeReserveEditPage, Form(SrvEdcidOf(0x12, 2), "edc_ext2=none&edc_recdir=none"));
  row = Stored(1);
  EXPECT_EQ(row.setting.batchPath, L"");
  EXPECT_TRUE(row.setting.folders.empty());
}

TEST_F(ReserveEditSrvTest, RefusedSavesChangeNothing) {
  const std::string refused = std::string(kPlain) + "登録エラー\n";
  // A reserve id the server does not know, one of another programme, and
  // a start that is no date.
  EXPECT_EQ(Save(ServeReserveEditPage, Form(SrvEdcidOf(0x12, 9), "")), refused);
  EXPECT_EQ(Save(ServeReserveEditPage, Form(SrvEdcidOf(0x11, 2), "")), refused);
  std::string noDate = Form(SrvEdcidOf(0x12, 2), "");
  noDate.replace(noDate.find("edc_M=4"), 7, "edc_M=13");
  EXPECT_EQ(Save(ServeReserveEditPage, noDate), refused);
  // A bad token shows the reservation again.
  const std::string shown = Run(ServeReserveEditPage, Form(SrvEdcidOf(0x12, 2), "spc=x&token=bad"));
  EXPECT_TRUE(Contains(shown, "<input name=edc_title value='title' size=120>")) << shown;
  EXPECT_EQ(Stored(1).title, L"予約2");
  EXPECT_EQ(Stored(1).setting.priority, 1);
}

TEST_F(ReserveEditSrvTest, DisableNeedsTheTokenAndTheLine) {
  EXPECT_TRUE(Contains(Run(ServeReserveEditPage, "cmd=edc_edit&invalid=1&token=bad&edcid=" + SrvEdcidOf(0x11, 1)),
                       "EpgTimer_Bon予約設定"));
  EXPECT_EQ(Stored(0).setting.recordMode, 1);

  EXPECT_EQ(Save(ServeReserveEditPage, "cmd=edc_edit&invalid=1&edcid=" + SrvEdcidOf(0x11, 1)),
            std::string(kPlain) + "無効にしました\n");
  EXPECT_EQ(Stored(0).setting.recordMode, 5);
  EXPECT_EQ(Stored(1).setting.recordMode, 1);

  // The server's reservation has no line in the text files.
  FakeSrvState state = srv_.server().State();
  state.reservations.push_back(Reservation(3, 0x13));
  srv_.server().SetState(state);
  EXPECT_EQ(Save(ServeReserveEditPage, "cmd=edc_edit&invalid=1&edcid=" + SrvEdcidOf(0x13, 3)),
            std::string(kPlain) + "エラー\n");
  EXPECT_EQ(Stored(2).setting.recordMode, 1);
}

}  // namespace
}  // namespace plimod::test
