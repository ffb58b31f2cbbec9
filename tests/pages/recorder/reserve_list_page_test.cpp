// The reservation list as a table (filters, bars, colours, labels) and its
// actions in the text-file recorder mode.

#include "pages/recorder/reserve_list_page.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

#include "pages/recorder/edcid.h"
#include "tests/pages/recorder/recorder_page_fixture.h"
#include "tests/support/file_size_limit.h"
#include "util/keys.h"

namespace plimod::test {
namespace {

constexpr const char* kBar = "<tr><td colspan=9><table border=0 bgcolor=#008000 width=100% height=4>";

std::string Line(int event, int reserveId, const std::wstring& title) {
  return Line(ProgramLine{.event = event, .reserveId = reserveId, .title = title});
}
std::string EdcidOf(int event, int reserveId) {
  return MakeEdcid(ProgramKey(static_cast<std::uint16_t>(event), ServiceKey(1, 2, 3)), reserveId);
}

class ReserveListPageTest : public RecorderPageTest {
 protected:
  void Write(std::initializer_list<ProgramLine> lines) {
    std::string text;
    for (const ProgramLine& line : lines) text += Line(line) + "\r\n";
    WriteFileBytes(ProgramTxt(), text);
  }
  std::string List(const std::string& query) { return Run(ServeReserveListPage, query); }
  std::string Post(const std::string& fields) { return Run(ServeReserveListPage, "cmd=epgtimer&token=" + token_ + "&" + fields); }
};

TEST_F(ReserveListPageTest, FiltersPutBarsBetweenEndedRunningAndLaterEntries) {
  const ProgramLine ended{.event = 1, .title = L"ended", .date = "2025/03/01", .time = "10:00:00"};
  const ProgramLine running{.event = 2, .title = L"running", .date = "2025/03/01", .time = "11:30:00", .duration = "01:00:00"};
  const ProgramLine later{.event = 3, .title = L"later", .date = "2025/03/01", .time = "20:00:00"};
  Write({ended, running, later});

  std::string page = List("cmd=epgtimer");
  EXPECT_FALSE(Contains(page, ">ended<"));
  EXPECT_EQ(CountOf(page, kBar), 1);
  EXPECT_LT(page.find(">running<"), page.find(kBar));
  EXPECT_LT(page.find(kBar), page.find(">later<"));
  EXPECT_TRUE(Contains(page, "EpgTimer_bon予約リスト　予約 <A HREF='?cmd=epgtimer&f=1&'>結果</A> "));

  page = List("cmd=epgtimer&f=2");
  EXPECT_EQ(CountOf(page, kBar), 2);
  EXPECT_LT(page.find(">ended<"), page.find(kBar));

  page = List("cmd=epgtimer&f=1");
  EXPECT_TRUE(Contains(page, ">ended<"));
  EXPECT_FALSE(Contains(page, ">running<"));
  EXPECT_FALSE(Contains(page, kBar));

  Write({ended, later});
  page = List("cmd=epgtimer");
  EXPECT_FALSE(Contains(page, kBar));
  EXPECT_TRUE(Contains(page, ">later<"));
}

TEST_F(ReserveListPageTest, RowShowsLabelsColoursAndEscapedTexts) {
  // The recorder's tuners cannot take the third reservation.
  Write({{.event = 1, .title = L"<b>first</b>", .time = "01:00:00", .recordMode = 5},
         {.event = 2, .title = L"second", .time = "01:00:00"},
         {.event = 3, .title = L"third", .time = "01:10:00", .recordMode = 9, .batch = "a.bat", .comment = L"<note>"}});
  const std::string page = List("cmd=epgtimer");
  EXPECT_TRUE(Contains(page, "<tr><td bgcolor=#c0c0c0><nobr><input type=checkbox name='" + EdcidOf(1, 1) +
                                 "' value=1>2025/03/02(<font color=red>日</font>)</nobr> <nobr>01:00:00～01:30:00</nobr></td>\n"
                                 "<td>局&lt;1&gt;</td>\n<td><a href='?cmd=edc_edit&edcid=" + EdcidOf(1, 1) +
                                 "'>&lt;b&gt;first&lt;/b&gt;</a></td><td>3</td>\n"))
      << page;
  EXPECT_TRUE(Contains(page, "<tr><td bgcolor=#ffff00><nobr><input type=checkbox name='" + EdcidOf(3, 1) + "'"));
  EXPECT_TRUE(Contains(page, "<td>する </td>\n<td></td>\n<td>しない </td>\n<td>あり </td>\n<td>&lt;note&gt;\n</td>\n"))
      << page;
  EXPECT_TRUE(Contains(page, "<font color=#ff0000>(削除と編集機能"));
  EXPECT_FALSE(Contains(page, "name=invalid"));
}

TEST_F(ReserveListPageTest, RowLinksTheAutomaticReservationThatMadeIt) {
  Write({{.event = 1, .title = L"plain", .time = "01:00:00"},
         {.event = 2, .title = L"auto", .time = "03:00:00", .comment = L"done"}});
  char key[17];
  std::snprintf(key, sizeof key, "%016llx",
                static_cast<unsigned long long>(ProgramKey(2, ServiceKey(1, 2, 3))));
  // History tokens carry the condition number in hexadecimal.
  Set(L"EPGDATACAP", L"AUTORESERVEHISTORY", Utf8ToWide(std::string(key) + "_c"));
  const std::string page = List("cmd=epgtimer");
  EXPECT_TRUE(Contains(page, "<td>done\n<br><a href='?cmd=autore&sh_idx=12'>自動予約 No.12</a></td>\n</tr>\n"))
      << page;
  EXPECT_EQ(page.find("自動予約 No."), page.rfind("自動予約 No.")) << "only the automatic one is linked";
}

TEST_F(ReserveListPageTest, ConfirmStepShowsOnlyCheckedRowsAndCancelKeepsThem) {
  Write({{.event = 1, .title = L"first"}, {.event = 2, .reserveId = 2, .title = L"second"}});
  const std::string edcid = EdcidOf(1, 1);

  std::string page = List("cmd=epgtimer&confirm=1&delete=x&token=" + token_ + "&" + edcid + "=1");
  EXPECT_TRUE(Contains(page, "削除確認<BR><BR>\n"));
  EXPECT_TRUE(Contains(page, "<input type=hidden name='" + edcid + "' value=1>"));
  EXPECT_FALSE(Contains(page, ">second<"));
  EXPECT_TRUE(Contains(page, "<input type=hidden name=confirm value=2><BR>\n<input type=hidden name=delete value=1>"));

  page = List("cmd=epgtimer&confirm=1&delete=x&token=wrong&" + edcid + "=1");
  EXPECT_FALSE(Contains(page, "削除確認"));

  page = List("cmd=epgtimer&confirm=2&cancel=x&delete=1&token=" + token_ + "&" + edcid + "=1");
  EXPECT_TRUE(Contains(page, "name='" + edcid + "' value=1 checked"));
  EXPECT_TRUE(Contains(page, ">second<"));
}

TEST_F(ReserveListPageTest, ConfirmedDeleteRewritesProgramTxtAndRestartsTheRecorder) {
  const std::string before = Line(1, 1, L"one") + "\r\n" + "short\tline\n" + Line(2, 2, L"two") + "\n" +
                             Line(3, 3, L"three") + "\r";
  WriteFileBytes(ProgramTxt(), before);

  EXPECT_EQ(Post("confirm=2&delete=1&silent=1&" + EdcidOf(2, 2) + "=1"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n削除しました\n");
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), Line(1, 1, L"one") + "\r\n" + "short\tline\n" + Line(3, 3, L"three") + "\r");
  EXPECT_TRUE(RecorderStarted());

  // A wrong token changes nothing and shows the list.
  const std::string page = Run(ServeReserveListPage, "cmd=epgtimer&confirm=2&delete=1&token=bad&" + EdcidOf(1, 1) + "=1");
  EXPECT_TRUE(Contains(page, "EpgTimer_bon予約リスト　"));
  EXPECT_TRUE(Contains(ReadFileBytes(ProgramTxt()), Sjis(L"one")));

  // Twin lines with one name: a ticked box removes the first of them only.
  WriteFileBytes(ProgramTxt(), Line(2, 2, L"first") + "\r\n" + Line(2, 2, L"second") + "\r\n");
  Post("confirm=2&delete=1&silent=1&" + EdcidOf(2, 2) + "=1");
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), Line(2, 2, L"second") + "\r\n");
}

TEST_F(ReserveListPageTest, RecorderBusyOrWriteFailureLeavesProgramTxtWhole) {
  const std::string before = Line(1, 1, L"one") + "\r\n" + Line(2, 2, L"two") + "\r\n" + std::string(4096, 'p');
  WriteFileBytes(ProgramTxt(), before);
  AddEpgTimerBonWindow();

  ScriptedWindow capture;
  capture.title = L"EpgDataCap_Bon";
  capture.children = {RecorderChildWindow{0, L"Button", L"UDP"}};
  const RecorderWindowId busy = windows_->Add(capture);
  const std::string refused = Post("confirm=2&delete=1&" + EdcidOf(1, 1) + "=1");
  EXPECT_FALSE(Contains(refused, "EpgTimer_bon予約リスト"));
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), before);
  EXPECT_FALSE(std::filesystem::exists(StartedMark()));
  windows_->Remove(busy);

  std::string page;
  {
    ScopedFileSizeLimit full(64);
    ASSERT_TRUE(full.ok());
    page = Post("confirm=2&delete=1&" + EdcidOf(1, 1) + "=1");
  }
  EXPECT_EQ(page, "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nエラー\nProgram.txtオープンエラー\n" +
                      ProgramTxt().string() + "\n");
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), before);
  // Closed for the rewrite, so started again although the rewrite failed.
  EXPECT_TRUE(RecorderStarted());
}

TEST_F(ReserveListPageTest, SilentDeleteTellsWhatBecameOfTheLine) {
  const std::string before = Line(1, 1, L"one") + "\r\n" + Line(2, 2, L"two") + "\r\n" + std::string(4096, 'p');
  WriteFileBytes(ProgramTxt(), before);
  const std::string silentDelete = "confirm=2&delete=1&silent=1&" + EdcidOf(1, 1) + "=1";
  const std::string header = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";
  {
    ScopedFileSizeLimit full(64);
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(Post(silentDelete), header + "エラー\nProgram.txtオープンエラー\n" + ProgramTxt().string() + "\n");
  }
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), before);

  // The line is gone, but the recorder that must read the file again cannot
  // be started: that failure is the answer, as a whole reply.
  const auto exe = folder_.File("recorder") / "EpgTimer_Bon.exe";
  std::filesystem::permissions(exe, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(Post(silentDelete), header + "EpgTimer_Bonの起動に失敗しました\n" + exe.string() + "\n");
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), Line(2, 2, L"two") + "\r\n" + std::string(4096, 'p'));

  std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
  Set(L"EPGDATACAP", L"PROGRAMTXT", folder_.File("missing/Program.txt").wstring());
  EXPECT_EQ(Post(silentDelete),
            header + "エラー\nProgram.txtオープンエラー\n" + folder_.File("missing/Program.txt").string() + "\n");
}

}  // namespace
}  // namespace plimod::test
