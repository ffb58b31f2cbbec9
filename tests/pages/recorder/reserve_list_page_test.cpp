// The reservation list as a table (filters, bars, colours, labels) and its
// actions in the text-file recorder mode.

#include "pages/reserve_list_page.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "pages/edcid.h"
#include "recorder/reserve_lists.h"
#include "tests/pages/recorder/recorder_page_fixture.h"
#include "tests/support/file_size_limit.h"
#include "util/keys.h"

namespace plimod::test {
namespace {

constexpr const char* kBar = "<tr><td colspan=9><table border=0 bgcolor=#008000 width=100% height=4>";

// A Program.txt line of 17 fields for programme (1, 2, 3, event).
std::string Line(int event, int reserveId, const std::wstring& title, const char* when = "2025/03/02\t21:00:00") {
  return std::string(when) + "\t00:30:00\t" + Sjis(title) + "\t" + Sjis(L"局") + "\t1\t2\t3\t" +
         std::to_string(event) + "\t3\t1\t" + std::to_string(reserveId) + "\t0\t0\t0\t\t";
}
std::string EdcidOf(int event, int reserveId) {
  return MakeEdcid(ProgramKey(static_cast<std::uint16_t>(event), ServiceKey(1, 2, 3)), reserveId);
}

class ReserveListPageTest : public RecorderPageTest {
 protected:
  ReserveEntry& Entry(const SystemTime& start, int minutes, const std::wstring& title) {
    ReserveEntry entry;
    entry.reserveId = static_cast<std::int32_t>(lists_->reserveList.size() + 1);
    entry.start = WithDayOfWeek(start);
    entry.durationSeconds = minutes * 60;
    entry.title = Sjis(title);
    entry.station = Sjis(L"局");
    entry.serviceKey = ServiceKey(1, 2, 3);
    entry.eventId = static_cast<std::uint16_t>(entry.reserveId);
    lists_->reserveList.push_back(entry);
    return lists_->reserveList.back();
  }
  std::string List(const std::string& query) {
    PublishReserveLists(lists_);
    return Run(ServeReserveListPage, query);
  }
  std::string Post(const std::string& fields) { return Run(ServeReserveListPage, "cmd=epgtimer&token=" + token_ + "&" + fields); }

  std::shared_ptr<ReserveLists> lists_ = std::make_shared<ReserveLists>();
};

TEST_F(ReserveListPageTest, FiltersPutBarsBetweenEndedRunningAndLaterEntries) {
  Entry(At(2025, 3, 1, 10, 0), 30, L"ended");
  Entry(At(2025, 3, 1, 11, 30), 60, L"running");
  Entry(At(2025, 3, 1, 20, 0), 30, L"later");

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

  lists_->reserveList.erase(lists_->reserveList.begin() + 1);
  page = List("cmd=epgtimer");
  EXPECT_FALSE(Contains(page, kBar));
  EXPECT_TRUE(Contains(page, ">later<"));
}

TEST_F(ReserveListPageTest, RowShowsLabelsColoursAndEscapedTexts) {
  ReserveEntry& grey = Entry(At(2025, 3, 2, 1, 0), 30, L"<b>grey</b>");
  grey.recordMode = 5;
  grey.unrecordable = 2;
  AddUnrecordableProgram(*lists_, grey.ProgramKey());
  ReserveEntry& red = Entry(At(2025, 3, 2, 2, 0), 30, L"red");
  red.unrecordable = 2;
  AddUnrecordableProgram(*lists_, red.ProgramKey());
  ReserveEntry& odd = Entry(At(2025, 3, 2, 3, 0), 30, L"odd");
  odd.recordMode = 9;
  odd.follow = 1;
  odd.batch = 1;
  odd.comment = Sjis(L"note");
  odd.tunerKey = 0;
  odd.tunerLabel = L"BonDriver_<A>(0)";
  Set(L"EPGDATACAP", L"ADDTUNERNAME", L"1");

  const std::string page = List("cmd=epgtimer");
  EXPECT_TRUE(Contains(page, "<tr><td bgcolor=#c0c0c0><nobr><input type=checkbox name='" + MakeEdcid(grey.ProgramKey(), 1) +
                                 "' value=1>2025/03/02(<font color=red>日</font>)</nobr> <nobr>01:00:00～01:30:00</nobr></td>\n"))
      << page;
  EXPECT_TRUE(Contains(page, "&lt;b&gt;grey&lt;/b&gt;</a></td>"));
  EXPECT_TRUE(Contains(page, "<td bgcolor=#ff0000>"));
  EXPECT_TRUE(Contains(page, "<td>する </td>\n<td></td>\n<td>しない </td>\n<td>あり </td>\n<td>note\n<br>BonDriver_&lt;A&gt;(0)</td>\n"))
      << page;
  EXPECT_TRUE(Contains(page, "<font color=#ff0000>(削除と編集機能"));
  EXPECT_FALSE(Contains(page, "name=invalid"));
}

TEST_F(ReserveListPageTest, ConfirmStepShowsOnlyCheckedRowsAndCancelKeepsThem) {
  const ReserveEntry first = Entry(At(2025, 3, 2, 1, 0), 30, L"first");
  Entry(At(2025, 3, 2, 2, 0), 30, L"second");
  const std::string edcid = MakeEdcid(first.ProgramKey(), first.reserveId);

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
  EXPECT_TRUE(Contains(page, "EpgTimer_bon予約リスト")) << page;
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), before);
  // Closed for the rewrite, so started again although the rewrite failed.
  EXPECT_TRUE(RecorderStarted());
}

}  // namespace
}  // namespace plimod::test
