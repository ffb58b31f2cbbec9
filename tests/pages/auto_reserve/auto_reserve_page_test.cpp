// The automatic reservation page on a string writer: the list with its
// history, saving, switching, deleting and renumbering conditions, and a
// condition made from a programme.
#include <gtest/gtest.h>

#include "pages/auto_reserve/auto_reserve.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "pages/auto_reserve/auto_reserve_page.h"
#include "tests/pages/auto_reserve/auto_reserve_fixture.h"

namespace plimod::test {
namespace {

class AutoReservePageTest : public AutoReserveTest {
 protected:
  std::string Page(const std::string& query) { return Run(ServeAutoReservePage, "cmd=autore&" + query); }
  std::string StoredText(const wchar_t* section, const wchar_t* key) {
    return WideToUtf8String(Settings().GetString(section, key).value_or(L"<missing>"));
  }
  static std::string Key(std::uint64_t programKey) { return WideToUtf8String(HistoryKeyText(programKey)); }
};

TEST_F(AutoReservePageTest, ListShowsConditionsAndTheProgrammesReserved) {
  AddCondition(1, L"ニュース");
  Settings().SetString(L"AUTORESERVE_02", L"ENABLE", L"0");
  Settings().SetString(L"AUTORESERVE_03", L"WORD", L"ENABLEなし");
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY", HistoryToken(kEveningNews, 1));
  const std::string page = Page("");
  EXPECT_NE(page.find("<TITLE>自動予約設定</TITLE>"), std::string::npos);
  EXPECT_NE(page.find("update=1"), std::string::npos);
  EXPECT_NE(page.find("sh_idx=1&sh_flip=1'>○</A>　ニュース　 / <BR>\n"), std::string::npos);
  EXPECT_NE(page.find("sh_idx=2&sh_flip=1'>×</A>　"), std::string::npos);
  EXPECT_NE(page.find("No.03</A>　未設定 <BR>\n"), std::string::npos);
  EXPECT_EQ(CountOf(page, "未設定 "), 18);  // 3 has no ENABLE
  EXPECT_NE(page.find("historyid=" + Key(kEveningNews) +
                      "&del=1'>2026/12/10(木)<BR>20:00:00～20:30:00</a></td>\n<td valign=top>単発局</td>\n"
                      "<td valign=top>夜のニュース</td><td valign=top>今日の出来事</td>"
                      "<td align=right><a href='?cmd=autore&sh_idx=1'>1</a></td>"),
            std::string::npos);
  EXPECT_TRUE(page.ends_with("</BODY></HTML>\n"));
}

TEST_F(AutoReservePageTest, SaveNeedsAValidTokenAndStoresEveryField) {
  const std::string fields =
      "sh_idx=4&sh_enable=1&sh_word=it%27s&sh_ttltype=2&sh_ttlcmd=a%0Ab%22&sh_number=7&edc_priority=3"
      "&sh_ch_Z_mode=2";
  const std::string refused = Page(fields + "&spc=%E3%80%80&token=wrong");
  EXPECT_NE(refused.find("No.04"), std::string::npos);
  EXPECT_EQ(StoredText(L"AUTORESERVE_04", L"WORD"), "<missing>");

  const std::string saved = Save(ServeAutoReservePage, "cmd=autore&" + fields);
  EXPECT_NE(saved.find("\nLocation: /?cmd=autore&sh_idx=4&"), std::string::npos);
  EXPECT_EQ(StoredText(L"AUTORESERVE_04", L"WORD"), "it’s");
  EXPECT_EQ(StoredText(L"AUTORESERVE_04", L"TITLECOMMAND"), "a b\"");
  EXPECT_EQ(StoredText(L"AUTORESERVE_04", L"TITLETYPE"), "2");
  EXPECT_EQ(StoredText(L"AUTORESERVE_04", L"NUMBERING"), "7");
  EXPECT_EQ(StoredText(L"AUTORESERVE_04", L"PRIORITY"), "3");
  EXPECT_EQ(StoredText(L"AUTORESERVE_04", L"CH_Z_MODE"), "2");
  EXPECT_NE(SavedFile().find("[AUTORESERVE_04]"), std::string::npos);

  const std::string form = Page("sh_idx=4");
  EXPECT_NE(form.find("name='sh_ttlcmd' value=\"a b&quot;\""), std::string::npos);
  EXPECT_NE(form.find("<option value=2 selected=selected>コマンドで指定 "), std::string::npos);
  EXPECT_NE(form.find("不明"), std::string::npos);
  EXPECT_NE(form.find("録画オプション<BR>\n"), std::string::npos);

  const std::string back = Save(ServeAutoReservePage, "cmd=autore&" + fields + "&return=1");
  EXPECT_NE(back.find("番号振り直し"), std::string::npos);
}

TEST_F(AutoReservePageTest, ANumberWithoutASectionOffersTheUsersRecordingDefaults) {
  Settings().SetString(L"EPGDATACAP", L"PRIORITY", L"5");
  Settings().SetString(L"EPGDATACAP", L"FORROW", L"0");
  const std::string form = Page("sh_idx=6");
  EXPECT_NE(form.find("<option value='4'>4</option><option value='5' selected=selected>5 (高)</option>"),
            std::string::npos)
      << form;
  EXPECT_NE(form.find("<select name='edc_forrow'><option value='0' selected=selected>しない </option>"),
            std::string::npos);
  EXPECT_FALSE(Settings().HasSection(L"AUTORESERVE_06")) << "showing the form stores nothing";
}

TEST_F(AutoReservePageTest, FlipAndDelete) {
  Settings().SetString(L"AUTORESERVE_01", L"ENABLE", L"2");
  Page("sh_idx=1&sh_flip=1");
  EXPECT_EQ(StoredText(L"AUTORESERVE_01", L"ENABLE"), "1");
  Page("sh_idx=1&sh_flip=1");
  EXPECT_EQ(StoredText(L"AUTORESERVE_01", L"ENABLE"), "0");
  Page("sh_idx=9&sh_flip=1");
  EXPECT_EQ(StoredText(L"AUTORESERVE_09", L"ENABLE"), "1");

  EXPECT_NE(Page("sh_idx=1&delete=1&token=wrong").find("保存と更新"), std::string::npos);
  EXPECT_TRUE(Settings().HasSection(L"AUTORESERVE_01"));
  Page("sh_idx=1&delete=1&token=" + GetRequestToken());
  EXPECT_FALSE(Settings().HasSection(L"AUTORESERVE_01"));
}

TEST_F(AutoReservePageTest, RenumberClosesGapsMovesTokensAndReplacesStaleSections) {
  Settings().SetString(L"AUTORESERVE_01", L"WORD", L"stale");  // no ENABLE: free
  AddCondition(2, L"two");
  AddCondition(5, L"five");
  AddCondition(7, L"seven");
  const std::uint64_t drama = ProgramKey(2, kNewsServiceKey);
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY",
                       HistoryToken(kEveningNews, 5) + L" " + HistoryToken(kLateNews, 0x50) + L" " +
                           HistoryToken(drama, 2));
  const std::string page = Page("renum=1&sh_idx=5");
  EXPECT_NE(page.find("番号振り直し"), std::string::npos);  // the list, not an editor
  EXPECT_EQ(StoredText(L"AUTORESERVE_01", L"WORD"), "two");
  EXPECT_EQ(StoredText(L"AUTORESERVE_02", L"WORD"), "five");
  EXPECT_EQ(StoredText(L"AUTORESERVE_03", L"WORD"), "seven");
  EXPECT_FALSE(Settings().HasSection(L"AUTORESERVE_05"));
  EXPECT_FALSE(Settings().HasSection(L"AUTORESERVE_07"));
  EXPECT_EQ(CountOf(SavedFile(), "[AUTORESERVE_01]"), 1);
  EXPECT_EQ(WideToUtf8String(Settings().GetString(L"EPGDATACAP", L"AUTORESERVEHISTORY").value_or(L"")),
            Key(kEveningNews) + "_2 " + Key(kLateNews) + "_50 " + Key(drama) + "_1");
}

TEST_F(AutoReservePageTest, HistoryRemovalAndRunFromTheList) {
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY", HistoryToken(kEveningNews, 1));
  EXPECT_NE(Page("del=1&historyid=").find("番号振り直し"), std::string::npos);
  EXPECT_EQ(StoredText(L"EPGDATACAP", L"AUTORESERVEHISTORY"), Key(kEveningNews) + "_1");
  Page("del=1&historyid=" + Key(kEveningNews));
  EXPECT_EQ(StoredText(L"EPGDATACAP", L"AUTORESERVEHISTORY"), "");

  AddCondition(1, L"ニュース");
  Page("update=1");
  EXPECT_EQ(ReservedLines(), 2);
}

TEST_F(AutoReservePageTest, ConditionFromAProgramme) {
  Settings().SetString(L"AUTORESERVE_01", L"WORD", L"no ENABLE");
  Settings().SetString(L"EPGDATACAP", L"TITLETYPE", L"1");
  const std::string form = Page("sh_idx=0&sid=7fe07fe00401&eid=3");
  EXPECT_NE(form.find("No.01"), std::string::npos);
  EXPECT_NE(form.find("name='sh_word' value='ニュース&深夜'"), std::string::npos);
  EXPECT_NE(form.find("<option value=1 selected=selected>番組名＋説明 "), std::string::npos);
  EXPECT_NE(form.find("sh_idx=1&delete=1&token="), std::string::npos);
  EXPECT_EQ(StoredText(L"AUTORESERVE_01", L"WORD"), "no ENABLE");  // nothing saved

  EXPECT_NE(Page("sh_idx=0&sid=7fe07fe00401&eid=77").find("番号振り直し"), std::string::npos);
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVECOUNT", L"1");
  AddCondition(1, L"x");
  EXPECT_EQ(Page("sh_idx=0&sid=7fe07fe00401&eid=3"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n自動予約の空きスペースがありませんでした\n");
}

TEST_F(AutoReservePageTest, PreviewShowsTheTitleAReservationWouldGet) {
  AddCondition(1, L"夜のニュース", 1);
  const std::string form = Page("sh_idx=1");
  EXPECT_NE(form.find("ヒット数：1<BR>"), std::string::npos);
  EXPECT_NE(form.find("<td valign=top>夜のニュース 今日の出来事</td></tr>\n</tbody></TABLE>\n</BODY></HTML>\n"),
            std::string::npos);
}

}  // namespace
}  // namespace plimod::test
