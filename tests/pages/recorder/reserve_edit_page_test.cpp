// The reservation edit page with the text-file recorder: the form filled
// from Program.txt, the save that replaces one line, and what it refuses.

#include "pages/recorder/reserve_edit_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pages/recorder/edcid.h"
#include "tests/pages/recorder/recorder_page_fixture.h"
#include "tests/support/file_size_limit.h"
#include "util/keys.h"

namespace plimod::test {
namespace {

constexpr const char* kPlain = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";

std::string EdcidOf(int event, int reserveId) {
  return MakeEdcid(ProgramKey(static_cast<std::uint16_t>(event), ServiceKey(1, 2, 3)), reserveId);
}

// A posted form with every field; `extra` adds or overrides fields.
std::string Form(const std::string& edcid, const std::string& extra) {
  return "cmd=edc_edit&edcid=" + edcid +
         "&edc_title=%E6%96%B0%09T&edc_station=S2&edc_Y=2025&edc_M=4&edc_D=30&edc_h=25&edc_m=5&edc_s=6"
         "&edc_ttl_h=1&edc_ttl_m=2&edc_ttl_s=3&edc_priority=5&edc_forrow=0&edc_recmode=2&edc_ext1=1"
         "&mode=station&" + extra;
}

class ReserveEditPageTest : public RecorderPageTest {
 protected:
  std::string Show(const std::string& edcid) { return Run(ServeReserveEditPage, "cmd=edc_edit&edcid=" + edcid); }
  std::string SaveForm(const std::string& edcid, const std::string& extra) {
    return Save(ServeReserveEditPage, Form(edcid, extra));
  }
};

TEST_F(ReserveEditPageTest, ShowFillsTheFormFromTheLineAndTheProgramme) {
  WriteFileBytes(ProgramTxt(), Line({.event = 1, .title = L"first"}) + "\r\n" +
                                   Line({.event = 2, .reserveId = 7, .title = L"<b>'番組'</b>", .batch = "x&.bat"}) +
                                   "\r\n");
  AddService(ServiceKey(1, 2, 3), L"局<A>");
  EpgEvent event;
  event.originalNetworkId = 1;
  event.transportStreamId = 2;
  event.serviceId = 3;
  event.eventId = 2;
  event.SetTitle(L"番組<名>");
  event.SetShortText(L"短い");
  event.SetExtendedText(L"一\r\n二");
  AddEvent(event);

  const std::string page = Show(EdcidOf(2, 7));
  EXPECT_TRUE(Contains(page, "<TITLE>EpgTimer_Bon予約設定</TITLE>\n</HEAD><BODY>\nEpgTimer_Bon予約設定<BR>\n")) << page;
  EXPECT_TRUE(Contains(page, "<input type=hidden name=cmd value='edc_edit'>\n"));
  EXPECT_TRUE(Contains(page, "<input type=hidden name=edcid value='" + EdcidOf(2, 7) + "'>\n"));
  // The recorder's texts can end neither the attribute nor add markup.
  EXPECT_TRUE(Contains(page, "<input name=edc_title value='&lt;b&gt;&#39;番組&#39;&lt;/b&gt;' size=120>")) << page;
  EXPECT_TRUE(Contains(page, "<input name=edc_station value='局&lt;1&gt;' size=40>"));
  EXPECT_TRUE(Contains(page, "<input name=edc_Y value='2025' size=4>/<input name=edc_M value='3' size=2>/"
                             "<input name=edc_D value='2' size=2>"));
  EXPECT_TRUE(Contains(page, "<input name=edc_h value='21' size=2>:<input name=edc_m value='0' size=2>"));
  EXPECT_TRUE(Contains(page, "<input name=edc_ttl_h value='0' size=2>:<input name=edc_ttl_m value='30' size=2>"));
  EXPECT_TRUE(Contains(page, "<select name='edc_ext2'><option value='def' selected=selected>x&amp;.bat</option>"));
  EXPECT_FALSE(Contains(page, "edc_recdir")) << "the text-file recorder has no folder choice";
  EXPECT_TRUE(Contains(page, "</form>\n局名：局&lt;A&gt;<BR>\n<BR>\n番組名：番組&lt;名&gt;<BR>\n説明：短い<BR>\n"
                             "詳細：<BR>\n一<BR>二</BODY></HTML>\n"))
      << page;

  // A batch field of "0" is the "none" choice; a programme gone from the
  // store leaves its texts out.
  const std::string first = Show(EdcidOf(1, 1));
  EXPECT_TRUE(Contains(first, "<select name='edc_ext2'><option value='none' selected=selected>"));
  EXPECT_TRUE(Contains(first, "</form>\n局名：局&lt;A&gt;<BR>\n</BODY></HTML>\n"));
}

TEST_F(ReserveEditPageTest, UnknownOrShortNamesFindNothing) {
  WriteFileBytes(ProgramTxt(), Line({.event = 1, .reserveId = 1}) + "\r\n");
  for (const std::string& edcid : {EdcidOf(1, 2), EdcidOf(1, -1), std::string("E_12"), std::string()}) {
    EXPECT_EQ(Show(edcid), std::string(kPlain) + "予約が見つかりません") << edcid;
  }
}

TEST_F(ReserveEditPageTest, SaveReplacesOnlyTheNamedLineAndRestartsTheRecorder) {
  Settings().InsertIndexed(L"EDCB_BATCHLIST", -1, L"one.bat");
  Settings().InsertIndexed(L"EDCB_BATCHLIST", -1, L"two.bat");
  // Another programme, and the same programme under another reserve id.
  const std::string other = Line({.event = 1, .title = L"other"}) + "\r\n" + Line({.event = 2, .reserveId = 5});
  // The named line has fields past 16 (folder, post action ...): kept as
  // they stand, like its CR-only line end.
  const std::string named = Line({.event = 2, .reserveId = 4, .batch = "old.bat", .comment = L"注"}) + "\t/rec\t1\t0";
  WriteFileBytes(ProgramTxt(), other + "\r\nshort\tline\n" + named + "\r" + other);

  EXPECT_EQ(SaveForm(EdcidOf(2, 4), "edc_ext2=2"),
            "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=epgtimer&mode=station\n\n");
  // The guide's late-night hour 25 of April 30 is 01 of May 1; title and
  // station without control characters.
  const std::string head = "2025/05/01\t01:05:06\t01:02:03\t" + Sjis(L"新 T") + "\tS2\t1\t2\t3\t2\t5\t0\t4\t2\t1\t";
  EXPECT_EQ(ReadFileBytes(ProgramTxt()),
            other + "\r\nshort\tline\n" + head + "two.bat\t\t" + Sjis(L"注") + "\t/rec\t1\t0\r" + other);
  EXPECT_TRUE(RecorderStarted());

  // "def" keeps the old batch field; "none" writes "0".
  SaveForm(EdcidOf(2, 4), "edc_ext2=def");
  EXPECT_TRUE(Contains(ReadFileBytes(ProgramTxt()), head + "two.bat\t\t"));
  SaveForm(EdcidOf(2, 4), "edc_ext2=none");
  EXPECT_TRUE(Contains(ReadFileBytes(ProgramTxt()), head + "0\t\t" + Sjis(L"注") + "\t/rec\t1\t0\r"));
}

TEST_F(ReserveEditPageTest, AStartTheListCannotReadIsRefusedAndTwinLinesChangeOnlyTheFirst) {
  // Two lines with one name, as a hand or the recorder may leave them.
  const std::string twin = Line({.event = 2, .reserveId = 4, .title = L"twin"});
  const std::string before = twin + "\r\n" + twin + "\r\n";
  WriteFileBytes(ProgramTxt(), before);
  AddEpgTimerBonWindow();
  // The form with another start (a field given twice counts once).
  const auto saveStarting = [this](const std::string& start) {
    std::string form = Form(EdcidOf(2, 4), "edc_ext2=none");
    form.replace(form.find("edc_Y=2025&edc_M=4&edc_D=30&edc_h=25"), 36, start);
    return Save(ServeReserveEditPage, form);
  };
  for (const char* start : {"edc_Y=2025&edc_M=4&edc_D=31&edc_h=1", "edc_Y=2025&edc_M=4&edc_D=30&edc_h=48",
                            "edc_Y=2025&edc_M=4&edc_D=30&edc_h=-1"}) {
    EXPECT_EQ(saveStarting(start), std::string(kPlain) + "Program.txtオープンエラー\n") << start;
  }
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), before);
  EXPECT_FALSE(std::filesystem::exists(StartedMark())) << "refused before the recorder was closed";

  // Hour 24 of the year's last day is the next year's first hour.
  ASSERT_EQ(saveStarting("edc_Y=2025&edc_M=12&edc_D=31&edc_h=24"),
            "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=epgtimer&mode=station\n\n");
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), "2026/01/01\t00:05:06\t01:02:03\t" + Sjis(L"新 T") +
                                             "\tS2\t1\t2\t3\t2\t5\t0\t4\t2\t1\t0\t\t\r\n" + twin + "\r\n");
}

TEST_F(ReserveEditPageTest, WithoutTheTokenNothingChangesAndDisableIsRefused) {
  const std::string before = Line({.event = 2, .reserveId = 4, .title = L"kept"}) + "\r\n";
  WriteFileBytes(ProgramTxt(), before);

  const std::string shown = Run(ServeReserveEditPage, Form(EdcidOf(2, 4), "spc=x&token=bad"));
  EXPECT_TRUE(Contains(shown, "<input name=edc_title value='kept' size=120>")) << shown;
  EXPECT_TRUE(Contains(Run(ServeReserveEditPage, Form(EdcidOf(2, 4), "spc=x")), "value='kept'"));
  // A form without a title is no save either.
  EXPECT_TRUE(Contains(Save(ServeReserveEditPage, "cmd=edc_edit&edcid=" + EdcidOf(2, 4)), "value='kept'"));
  EXPECT_EQ(Save(ServeReserveEditPage, "cmd=edc_edit&invalid=1&edcid=" + EdcidOf(2, 4)),
            std::string(kPlain) + "エラー\n");
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), before);
  EXPECT_FALSE(std::filesystem::exists(StartedMark()));
}

TEST_F(ReserveEditPageTest, FailedRewriteLeavesProgramTxtWholeAndStillRestarts) {
  const std::string before = Line({.event = 2, .reserveId = 4}) + "\r\n" + std::string(4096, 'p');
  WriteFileBytes(ProgramTxt(), before);
  AddEpgTimerBonWindow();
  std::string reply;
  {
    ScopedFileSizeLimit full(64);
    ASSERT_TRUE(full.ok());
    reply = SaveForm(EdcidOf(2, 4), "edc_ext2=none");
  }
  EXPECT_EQ(reply, std::string(kPlain) + "Program.txtオープンエラー\n" + ProgramTxt().string() + "\n");
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), before);
  EXPECT_TRUE(RecorderStarted());

  // A file that cannot be read: nothing written, the recorder started
  // again all the same, and back to the list.
  std::filesystem::remove(ProgramTxt());
  std::filesystem::remove(StartedMark());
  EXPECT_EQ(SaveForm(EdcidOf(2, 4), ""), "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=epgtimer&mode=station\n\n");
  EXPECT_FALSE(std::filesystem::exists(ProgramTxt()));
  EXPECT_TRUE(RecorderStarted());

  // With the recorder link off there is no file to rewrite.
  Set(L"EPGDATACAP", L"ENABLE", L"0");
  EXPECT_TRUE(Contains(SaveForm(EdcidOf(2, 4), ""), "Program.txtオープンエラー\n"));
}

}  // namespace
}  // namespace plimod::test
