// The search condition page on a string writer over a store filled by hand:
// the list, the editor, saving, flipping, deleting, reordering, a condition
// made from a programme and the colour picker round trip.
#include <gtest/gtest.h>

#include <vector>

#include "pages/search/search_condition_page.h"
#include "tests/pages/page_test_fixture.h"

namespace plimod::test {
namespace {

class SearchConditionPageTest : public PageTest {
 protected:
  std::string Page(const std::string& query) { return Run(ServeSearchConditionPage, query); }
  std::string Save(const std::string& query) { return SettingsPageFixture::Save(ServeSearchConditionPage, query); }

  static void Condition(int slot, const std::wstring& word, int enable = 1) {
    const std::wstring section = SectionOf(slot);
    Settings().SetInt(section.c_str(), L"ENABLE", enable);
    Settings().SetString(section.c_str(), L"WORD", word);
  }
  static std::wstring SectionOf(int slot) {
    wchar_t name[16];
    std::swprintf(name, 16, L"SEARCH_%02d", slot);
    return name;
  }
  static std::string Stored(int slot, const wchar_t* key) {
    return WideToUtf8String(Settings().GetString(SectionOf(slot).c_str(), key).value_or(L"(none)"));
  }
  // WORD of slots 1..n ("" for a free slot).
  static std::vector<std::string> Words(int n) {
    std::vector<std::string> words;
    for (int slot = 1; slot <= n; ++slot) {
      const std::string word = Stored(slot, L"WORD");
      words.push_back(word == "(none)" ? "" : word);
    }
    return words;
  }
};

TEST_F(SearchConditionPageTest, ListShowsSlotsFlipLinksAndCutSummaries) {
  Condition(1, std::wstring(39, L'a') + L"\U0002000B");  // 41 UTF-16 units
  Settings().SetString(L"SEARCH_01", L"GENRE", L"ドラマ");
  Condition(3, L"<b>x</b>", 0);
  const std::string page = Page("cmd=search&mode=epg");
  EXPECT_EQ(page.rfind("HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n<HTML><HEAD>\n\n"
                       "<TITLE>検索条件設定</TITLE>\n</HEAD><BODY>\n"
                       "<A HREF='?mode=epg'>戻る</A>　<A HREF='?cmd=search&sort=1&mode=epg'>並べ替え</A><HR>\n",
                       0),
            0u);
  EXPECT_NE(page.find("<A HREF='?cmd=search&mode=epg&sh_idx=1'>No.01</A>　"
                      "<A HREF='?cmd=search&mode=epg&sh_idx=1&sh_flip=1'>○</A>　" +
                      std::string(39, 'a') + "...　 / ドラマ<BR>\n"),
            std::string::npos);
  EXPECT_NE(page.find("No.02</A>　未設定 <BR>\n"), std::string::npos);
  EXPECT_NE(page.find("sh_flip=1'>×</A>　&lt;b&gt;x&lt;/b&gt;　 / <BR>\n"), std::string::npos);
  EXPECT_EQ(CountOf(page, "<BR>\n"), 20);
}

TEST_F(SearchConditionPageTest, NumbersOutsideTheSlotsShowTheList) {
  for (const char* index : {"sh_idx=1000", "sh_idx=-1", "sh_idx=0", "sh_idx=", "sh_idx=0&sid=7fe07fe00400"}) {
    EXPECT_NE(Page(std::string("cmd=search&") + index).find("並べ替え</A><HR>"), std::string::npos) << index;
  }
}

TEST_F(SearchConditionPageTest, EditorShowsStoredFieldsEscaped) {
  AddService(TrKey(0x400), L"テレビ<1>");
  AddService(TrKey(0x401), L"ラジオ");
  Condition(2, L"a'b<c");
  Settings().SetString(L"SEARCH_02", L"GENRE", L"ドラマ 映画");
  Settings().SetString(L"SEARCH_02", L"WEEK", L"");
  Settings().SetString(L"SEARCH_02", L"CH_T_LIST", L"T0401H");
  Settings().SetInt(L"SEARCH_02", L"CH_T_MODE", 2);
  const std::string page = Page("cmd=search&sh_idx=2");
  EXPECT_NE(page.find("No.02　<A HREF='?cmd=search&&sh_idx=2&delete=1&token=" + GetRequestToken() + "'>削除</A>"),
            std::string::npos);
  EXPECT_NE(page.find("有効:<input type=checkbox name='sh_enable' value=1 checked><BR><BR>\n"), std::string::npos);
  EXPECT_NE(page.find("name='sh_word' value='a&#39;b&lt;c' size=120>"), std::string::npos);
  EXPECT_NE(page.find("value='3' checked>ドラマ\n"), std::string::npos);
  EXPECT_NE(page.find("value='6' checked>映画\n"), std::string::npos);
  EXPECT_EQ(CountOf(page, "name='sh_genre' value='") - CountOf(page, "' checked>"), 10 - 0);
  // A stored empty WEEK ticks no day.
  EXPECT_EQ(CountOf(page, "name='sh_week_"), 7);
  EXPECT_EQ(page.find("name='sh_week_0' value=1 checked>"), std::string::npos);
  EXPECT_NE(page.find("<select name='sh_ch_T_mode'><option value='0'>非対象 </option><option value='1'>"
                      "すべて （チェックしたもの無効） </option><option value='2' selected=selected>"
                      "チェックしたもののみ </option></select><BR>\n"),
            std::string::npos);
  EXPECT_NE(page.find("<NOBR>　<input type=checkbox name='T0400H' value=1>テレビ&lt;1&gt;</NOBR>\n"
                      "<NOBR>　<input type=checkbox name='T0401H' value=1 checked>ラジオ</NOBR>\n"),
            std::string::npos);
  EXPECT_NE(page.find("<input type=hidden name=sh_idx value='2'>"), std::string::npos);
  EXPECT_NE(page.find("<a href='?cmd=search&sh_idx=2&color=1&&'>参照</a>"), std::string::npos);
  EXPECT_NE(page.find("ヒット数："), std::string::npos);
}

TEST_F(SearchConditionPageTest, FreeSlotShowsDefaultsAndCreatesNoSection) {
  Condition(1, L"x");
  const std::string page = Page("cmd=search&sh_idx=4");
  EXPECT_NE(page.find("No.04"), std::string::npos);
  EXPECT_EQ(CountOf(page, "name='sh_week_"), 7);
  EXPECT_EQ(CountOf(page, "value=1 checked>"), 7 + 1);  // every day, and the title
  EXPECT_NE(page.find("name=draw_type value=0 checked>"), std::string::npos);
  EXPECT_NE(page.find("style='background-color: #ffffff;'"), std::string::npos);
  EXPECT_FALSE(Settings().HasSection(L"SEARCH_04"));

  Page("cmd=search&sh_idx=1&sh_flip=1");
  EXPECT_EQ(SavedFile().find("SEARCH_04"), std::string::npos);
  EXPECT_NE(SavedFile().find("[SEARCH_01]"), std::string::npos);
}

TEST_F(SearchConditionPageTest, SaveStoresEveryFieldInOrderThenShowsTheList) {
  AddService(TrKey(0x400));
  AddService(TrKey(0x401));
  AddService(BsKey(0x101));
  const std::string reply = Save(
      "cmd=search&sh_idx=3&sh_enable=1&sh_word=a%27b+c&sh_exclusive=x%27&sh_title=1&sh_explan=0"
      "&sh_genre=3&sh_genre=99&sh_genre=7&sh_week_0=1&sh_week_6=1&sh_time_s=18&sh_time_e=23"
      "&sh_ch_T_mode=2&T0401H=1&T0400H=1&B0101H=0&sh_ch_B_mode=0&sh_ch_C_mode=1&draw_type=1");
  EXPECT_NE(SavedFile().find("[SEARCH_03]\r\nENABLE=1\r\nWORD=a’b c\r\nEXCLUSIVEWORD=x’\r\nSEARCH_TITLE=1\r\n"
                             "SEARCH_EXPLANATION=0\r\nSEARCH_DETAIL=0\r\nGENRE=ドラマ アニメ・漫画\r\nWEEK=日土\r\n"
                             "TIME=18,23\r\nCH_T_MODE=2\r\nCH_T_LIST=T0400H T0401H\r\nCH_B_MODE=0\r\nCH_B_LIST=\r\n"
                             "CH_C_MODE=1\r\nCH_C_LIST=\r\nDRAW_BGTYPE=1\r\n"),
            std::string::npos)
      << SavedFile();
  EXPECT_NE(reply.find("並べ替え</A><HR>"), std::string::npos);

  // The form shows what was saved: no day but the two ticked.
  const std::string page = Page("cmd=search&sh_idx=3");
  EXPECT_NE(page.find("name='sh_week_0' value=1 checked>"), std::string::npos);
  EXPECT_NE(page.find("name='sh_week_1' value=1>"), std::string::npos);
}

TEST_F(SearchConditionPageTest, SubmitRedirectsToTheSlotByItsNumber) {
  EXPECT_EQ(Save("cmd=search&sh_idx=3%0D%0ASet-Cookie:+x&sh_word=w&submit=x&mode=epg&day=20250301"),
            "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=search&sh_idx=3&mode=epg&day=20250301\n\n");
  EXPECT_EQ(Stored(3, L"WORD"), "w");
  EXPECT_NE(Save("cmd=search&sh_idx=3&sh_word=v&return=x").find("並べ替え</A><HR>"), std::string::npos);
  EXPECT_EQ(Stored(3, L"WORD"), "v");
}

TEST_F(SearchConditionPageTest, PostWithoutTheTokenSavesNothing) {
  const std::string page = Page("cmd=search&sh_idx=3&spc=x&token=bad&sh_word=w&submit=x");
  EXPECT_NE(page.find("No.03"), std::string::npos);
  EXPECT_FALSE(Settings().HasSection(L"SEARCH_03"));
  EXPECT_FALSE(Saved());
}

TEST_F(SearchConditionPageTest, FlipAndDelete) {
  Condition(1, L"x");
  EXPECT_NE(Page("cmd=search&sh_idx=1&sh_flip=1").find("sh_flip=1'>×</A>"), std::string::npos);
  EXPECT_NE(SavedFile().find("ENABLE=0"), std::string::npos);
  Page("cmd=search&sh_idx=1&sh_flip=1");
  EXPECT_EQ(Stored(1, L"ENABLE"), "1");

  EXPECT_NE(Page("cmd=search&sh_idx=1&delete=1&token=bad").find("No.01"), std::string::npos);
  EXPECT_TRUE(Settings().HasSection(L"SEARCH_01"));
  Page("cmd=search&sh_idx=1&delete=1&token=" + GetRequestToken());
  EXPECT_FALSE(Settings().HasSection(L"SEARCH_01"));
  EXPECT_EQ(SavedFile().find("SEARCH_01"), std::string::npos);
}

TEST_F(SearchConditionPageTest, ReorderMovesWithinTheBoundsOnly) {
  for (int slot : {1, 2, 3, 4, 5, 7}) Condition(slot, L"w" + std::to_wstring(slot));
  using Order = std::vector<std::string>;
  const Order start{"w1", "w2", "w3", "w4", "w5", "", "w7"};

  Page("cmd=search&sort=1&st_sel=5&st_dst=2");
  EXPECT_EQ(Words(7), (Order{"w1", "w5", "w2", "w3", "w4", "", "w7"}));
  Page("cmd=search&sort=1&st_sel=2&st_dst=6");  // back where it was
  EXPECT_EQ(Words(7), start);
  Page("cmd=search&sort=1&st_sel=5&st_dst=7");
  EXPECT_EQ(Words(7), (Order{"w1", "w2", "w3", "w4", "", "w5", "w7"}));
  Page("cmd=search&sort=1&st_sel=6&st_dst=5");
  EXPECT_EQ(Words(7), start);
  for (const char* same : {"st_sel=5&st_dst=5", "st_sel=5&st_dst=6"}) {
    Page(std::string("cmd=search&sort=1&") + same);
    EXPECT_EQ(Words(7), start) << same;
  }
  Page("cmd=search&sort=1&st_sel=5&st_dst=0");
  EXPECT_EQ(Words(7), (Order{"w5", "w1", "w2", "w3", "w4", "", "w7"}));
  Page("cmd=search&sort=1&st_sel=6&st_dst=1");  // a free slot moves too
  EXPECT_EQ(Words(7), (Order{"", "w5", "w1", "w2", "w3", "w4", "w7"}));
  Page("cmd=search&sort=1&st_sel=1&st_dst=21");  // last
  EXPECT_EQ(Words(7), (Order{"w5", "w1", "w2", "w3", "w4", "w7", ""}));
  EXPECT_TRUE(Settings().HasSection(L"SEARCH_06"));
  EXPECT_FALSE(Settings().HasSection(L"SEARCH_00"));

  const Order before = Words(7);
  for (const char* refused : {"st_sel=5&st_dst=-2000000000", "st_sel=5&st_dst=22", "st_sel=0&st_dst=3",
                              "st_sel=21&st_dst=3", "st_dst=99999"}) {
    Page(std::string("cmd=search&sort=1&") + refused);
    EXPECT_EQ(Words(7), before) << refused;
  }
  EXPECT_EQ(Settings().GetString(L"SEARCH_21", L"WORD"), std::nullopt);
}

TEST_F(SearchConditionPageTest, ReorderPageMarksTheSelectionAndCutsRowsOnCharacters) {
  Condition(1, std::wstring(41, L'あ'));
  Settings().SetString(L"SEARCH_01", L"GENRE", std::wstring(41, L'い'));
  Condition(2, L"two", 0);
  const std::string page = Page("cmd=search&sort=1&mode=epg");
  EXPECT_NE(page.find("<TITLE>検索条件並び替え</TITLE>"), std::string::npos);
  EXPECT_NE(page.find("<A HREF='?cmd=search&mode=epg'>戻る</A>　<HR>\n"), std::string::npos);
  EXPECT_NE(page.find("<tr><td rowspan=2><A HREF='?cmd=search&sort=1&st_sel=1&st_dst=0&mode=epg'>ここに挿入→</A>"
                      "</td><td></td></tr>\n"),
            std::string::npos);
  EXPECT_EQ(CountOf(page, "ここに挿入→"), 21);
  EXPECT_NE(page.find("<A HREF='?cmd=search&sort=1&st_sel=2&mode=epg'>No.02 ×　two　 / </A><BR>\n"),
            std::string::npos);
  EXPECT_NE(page.find("No.03 未設定 </A>"), std::string::npos);

  const std::size_t from = page.find("(選択中) ") + std::string("(選択中) ").size();
  const std::string row = page.substr(from, page.find('\n', from) - from);
  EXPECT_EQ(row.rfind("No.01 ○　" + WideToUtf8String(std::wstring(40, L'あ')) + "...　 / いい", 0), 0u);
  EXPECT_LE(row.size(), 255u);
  EXPECT_EQ(WideToUtf8String(Utf8ToWide(row)), row);
  EXPECT_EQ(row.size() % 3, 0u);  // ends on a whole character: only 3-byte ones after the ASCII
}

TEST_F(SearchConditionPageTest, ConditionFromAProgrammeFillsTheFirstFreeSlotWithoutSaving) {
  AddService(TrKey(0x400), L"テレビ");
  AddEvent(MakeEvent(TrKey(0x400), 0x1234, At(2025, 3, 2, 20, 0), 30, L"[新]ＡＢＣ　ドラマ"));
  Condition(1, L"x");
  const std::string page = Page("cmd=search&sh_idx=0&sid=7fe07fe00400&eid=1234");
  EXPECT_NE(page.find("No.02"), std::string::npos);
  EXPECT_NE(page.find("<input type=hidden name=sh_idx value='2'>"), std::string::npos);
  EXPECT_NE(page.find("有効:<input type=checkbox name='sh_enable' value=1 checked>"), std::string::npos);
  EXPECT_NE(page.find("name='sh_word' value='ABC&ドラマ'"), std::string::npos);
  EXPECT_NE(page.find("<select name='sh_ch_T_mode'><option value='0'>非対象 </option><option value='1'>"
                      "すべて （チェックしたもの無効） </option><option value='2' selected=selected>"),
            std::string::npos);
  EXPECT_NE(page.find("name='T0400H' value=1 checked>テレビ"), std::string::npos);
  EXPECT_NE(page.find("<select name='sh_ch_B_mode'><option value='0' selected=selected>"), std::string::npos);
  EXPECT_NE(page.find("<select name='sh_ch_C_mode'><option value='0' selected=selected>"), std::string::npos);
  EXPECT_FALSE(Settings().HasSection(L"SEARCH_02"));
  EXPECT_FALSE(Settings().HasSection(L"dummy"));
  EXPECT_FALSE(Saved());
}

TEST_F(SearchConditionPageTest, ConditionFromAProgrammeOfTheOtherBandSearchesNoBand) {
  AddService(OtherKey(0x10));
  AddEvent(MakeEvent(OtherKey(0x10), 5, At(2025, 3, 2, 20, 0), 30, L"z"));
  const std::string page = Page("cmd=search&sh_idx=0&sid=100010010&eid=5");
  for (const char* band : {"T", "B", "C"}) {
    EXPECT_NE(page.find(std::string("<select name='sh_ch_") + band + "_mode'><option value='0' selected=selected>"),
              std::string::npos)
        << band;
  }
}

TEST_F(SearchConditionPageTest, ConditionFromAProgrammeNeedsAFreeSlotAndTheProgramme) {
  AddService(TrKey(0x400));
  AddEvent(MakeEvent(TrKey(0x400), 1, At(2025, 3, 2, 20, 0), 30));
  EXPECT_NE(Page("cmd=search&sh_idx=0&sid=7fe07fe00400&eid=2").find("並べ替え</A><HR>"), std::string::npos);
  EXPECT_NE(Page("cmd=search&sh_idx=0&sid=7fe07fe00400&eid=10001").find("並べ替え</A><HR>"), std::string::npos);
  Settings().SetInt(L"SYSTEM", L"CONDITIONCOUNT", 2);
  Condition(1, L"a");
  Condition(2, L"b");
  EXPECT_EQ(Page("cmd=search&sh_idx=0&sid=7fe07fe00400&eid=1"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n検索条件の空きスペースがありませんでした\n");
}

TEST_F(SearchConditionPageTest, ColourPickerRoundTripFromTheEditor) {
  Condition(2, L"x");
  const std::string picker = Page("cmd=search&sh_idx=2&color=1&mode=epg");
  EXPECT_NE(picker.find("<A HREF='?cmd=search&sh_idx=2&mode=epg'>戻る</A><HR>\n"), std::string::npos);
  EXPECT_NE(picker.find("value='#ffffff' checked>"), std::string::npos);
  EXPECT_NE(picker.find("<input type=hidden name=cmd value='search'>\n<input type=hidden name=sh_idx value='2'>\n"
                        "<input type=hidden name=mode value='epg'>\n"),
            std::string::npos);

  EXPECT_EQ(Save("cmd=search&sh_idx=2&color_value=direct&color_text=%23ABCDEF&colorupdate=x")
                .find("<input type=radio name=color_value value='direct' checked>直接指定:"
                      "<input name=color_text size=8 value='#ABCDEF'>") == std::string::npos,
            false);
  EXPECT_EQ(Stored(2, L"DRAW_BGCOLOR"), "#ABCDEF");
  Save("cmd=search&sh_idx=2&colorupdate=x");
  EXPECT_EQ(Stored(2, L"DRAW_BGCOLOR"), "#ABCDEF");

  EXPECT_EQ(Save("cmd=search&sh_idx=2&color_value=%23a0a0ff&submit=x&mode=epg"),
            "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=search&sh_idx=2&mode=epg\n\n");
  EXPECT_EQ(Stored(2, L"DRAW_BGCOLOR"), "#a0a0ff");
  EXPECT_EQ(Stored(2, L"WORD"), "x");
}

}  // namespace
}  // namespace plimod::test
