// The keyword search page on EPG files made by the project's writer: what a
// post stores (with this page's own defaults), what a refused post leaves,
// and the hits coloured by the reservation lists.
#include <gtest/gtest.h>

#include <memory>

#include "epg/epg_folder.h"
#include "epg/epg_store.h"
#include "pages/search/line_search_page.h"
#include "recorder/lists/reserve_lists.h"
#include "tests/epg/epg_test_data.h"
#include "tests/pages/page_test_fixture.h"

namespace plimod::test {
namespace {

constexpr std::uint64_t kNewsKey = ServiceKey(kOnid, kTsid, 0x0401);
constexpr std::uint64_t kBsKey = ServiceKey(kOnid, 0x4010, 0x0065);

epgwriter::EventDescription Event(std::uint16_t id, int hour, std::u16string title, std::u16string shortText,
                                  std::uint32_t genre = 0) {
  epgwriter::EventDescription event;
  event.event_id = id;
  event.start = epgwriter::JapanSeconds(2026, 12, 10) + std::int64_t{hour} * 3600;
  event.duration_seconds = 1800;
  event.title = std::move(title);
  event.short_text = std::move(shortText);
  if (genre != 0) event.genres.push_back(genre);
  return event;
}

class LineSearchPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    ResetEpgFolderState();
    SetNow(At(2026, 12, 10, 0, 0));
    WriteFileBytes(data_.File("a_epg.dat"),
                   EpgFileBytes(MakeFile({MakeService(0x0401, 0x01, u"報道局",
                                                      {Event(1, 6, u"朝のニュース", u"天気"),
                                                       Event(2, 12, u"昼のニュース", u"<速報>"),
                                                       Event(3, 20, u"夜のドラマ", u"ニュースの裏側", 0x03000000),
                                                       Event(4, 22, u"ニュース深夜版", u"")})})));
    WriteFileBytes(data_.File("b_epg.dat"),
                   EpgFileBytes(MakeFile({MakeService(0x0065, 0x01, u"ＢＳ局", {Event(9, 7, u"ＢＳニュース", u"")})},
                                         0x4010)));
    const std::string folder = data_.Path().string();
    Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", std::wstring(folder.begin(), folder.end()));
    Load();
    PublishReserveLists(std::make_shared<ReserveLists>());
  }
  void TearDown() override {
    PublishReserveLists(std::make_shared<ReserveLists>());
    PageTest::TearDown();
    store_.reset();
    ResetEpgFolderState();
  }

  void Load() {
    ResetEpgFolderState();
    store_ = std::make_unique<EpgStore>(std::string(PLIMOD_BINARY_DIR) + "/bin/");
    ASSERT_TRUE(LoadEpgFolder(*store_));
  }
  std::string Search(const std::string& fields) { return Save(ServeLineSearchPage, "cmd=linesrch&" + fields); }
  static std::string Hits(const std::string& page) { return page.substr(page.find("ヒット数：")); }

  void Reserve(std::uint16_t eventId, std::int32_t recordMode, std::int32_t unrecordable, ReserveLists& lists) {
    ReserveEntry entry;
    entry.serviceKey = kNewsKey;
    entry.eventId = eventId;
    entry.recordMode = recordMode;
    entry.unrecordable = unrecordable;
    lists.reserveList.push_back(entry);
  }

  TempFolder data_{"plimod-linesrch"};
  std::unique_ptr<EpgStore> store_;
};

TEST_F(LineSearchPageTest, FirstViewShowsTheEmptyFormAndNoHits) {
  const std::string page = Run(ServeLineSearchPage, "cmd=linesrch&mode=epg");
  EXPECT_EQ(page.find("HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n<HTML><HEAD>\n\n<TITLE>検索</TITLE>\n"
                      "</HEAD><BODY>\n<A HREF='?mode=epg'>戻る</A><HR>\n<form method=post action='/'>\n"
                      "<input type=hidden name=spc value='　'>\n<input type=hidden name=token value='" +
                      GetRequestToken() + "'>\n"),
            0u)
      << page;
  EXPECT_EQ(page.find("有効:"), std::string::npos);
  EXPECT_NE(page.find("name='sh_title' value=1 checked>タイトル"), std::string::npos);
  EXPECT_EQ(CountOf(page, "name='sh_week_"), 7);
  EXPECT_EQ(CountOf(page, "value=1 checked>"), 8);  // the title box and every day
  EXPECT_NE(page.find("～<input type=text name='sh_time_e' value='23' size=3>"), std::string::npos);
  EXPECT_EQ(CountOf(page, "<option value='1' selected=selected>"), 3);
  EXPECT_NE(page.find("<input type=submit name=return value='submit'><BR></form>\nヒット数：0<BR>\n"),
            std::string::npos);
  EXPECT_NE(page.find("</tbody></TABLE>\n</BODY></HTML>\n"), std::string::npos);
}

TEST_F(LineSearchPageTest, PostFillsThisPagesDefaults) {
  // No title box, no day, no end hour, no band modes; a quote in the word;
  // genre numbers without a name.
  const std::string page = Search("sh_word=ニュース%27s&sh_genre=12%09-1");
  EXPECT_NE(page.find("name='sh_word' value='ニュース’s'"), std::string::npos);
  EXPECT_NE(page.find("name='sh_title' value=1 checked>"), std::string::npos);
  EXPECT_EQ(CountOf(page, "value=1 checked>"), 8);
  EXPECT_NE(page.find("name='sh_time_e' value='23'"), std::string::npos);
  EXPECT_EQ(CountOf(page, "<option value='1' selected=selected>"), 3);
  EXPECT_EQ(page.find("name='sh_genre' value='0' checked"), std::string::npos);
  EXPECT_NE(page.find("ヒット数：0<BR>"), std::string::npos);  // nothing ends in "’s"
}

TEST_F(LineSearchPageTest, SearchOptionsNarrowTheHits) {
  EXPECT_NE(Search("sh_word=ニュース").find("ヒット数：4<BR>"), std::string::npos);  // titles, both bands
  EXPECT_NE(Search("sh_word=ニュース&sh_explan=1").find("ヒット数：5<BR>"), std::string::npos);
  EXPECT_NE(Search("sh_word=ニュース&sh_title=0&sh_explan=1").find("ヒット数：1<BR>"), std::string::npos);
  EXPECT_NE(Search("sh_word=ニュース&sh_exclusive=深夜").find("ヒット数：3<BR>"), std::string::npos);
  EXPECT_NE(Search("sh_genre=3").find("ヒット数：1<BR>"), std::string::npos);
  EXPECT_NE(Search("sh_word=ニュース&sh_time_s=10&sh_time_e=21").find("ヒット数：1<BR>"), std::string::npos);
  EXPECT_NE(Search("sh_word=ニュース&sh_week_0=1").find("ヒット数：0<BR>"), std::string::npos);  // a Thursday
  EXPECT_NE(Search("sh_word=ニュース&sh_week_4=1").find("ヒット数：4<BR>"), std::string::npos);
  EXPECT_NE(Search("sh_word=ニュース&sh_ch_B_mode=0").find("ヒット数：3<BR>"), std::string::npos);
  const std::string onlyBs = Search("sh_word=ニュース&sh_ch_T_mode=2&sh_ch_B_mode=2&B0065H=1");
  EXPECT_NE(onlyBs.find("ヒット数：1<BR>"), std::string::npos);
  EXPECT_NE(onlyBs.find("name='B0065H' value=1 checked>ＢＳ局"), std::string::npos) << onlyBs;
}

TEST_F(LineSearchPageTest, PostWithABadTokenSearchesNothing) {
  const std::string page = Run(ServeLineSearchPage, "cmd=linesrch&spc=x&token=bad&sh_word=ニュース");
  EXPECT_NE(page.find("name='sh_word' value=''"), std::string::npos);
  EXPECT_NE(page.find("ヒット数：0<BR>"), std::string::npos);
}

TEST_F(LineSearchPageTest, HitRowsAreColouredByTheirReservation) {
  auto lists = std::make_shared<ReserveLists>();
  Reserve(1, 1, 0, *lists);
  Reserve(2, 1, 1, *lists);
  Reserve(4, 5, 2, *lists);  // disabled wins over unrecordable
  PublishReserveLists(lists);
  const std::string hits = Hits(Search("sh_word=ニュース&sh_explan=1"));
  EXPECT_NE(hits.find("<tr><td valign=top bgcolor='#80ffff'><a href='?sid=7fe07fe00401&eid=1' target=_blank>"
                      "2026/12/10(木)<BR>06:00:00～06:30:00</a></td>\n<td valign=top>報道局</td>\n"
                      "<td valign=top>朝のニュース</td><td valign=top>天気</td></tr>\n"),
            std::string::npos)
      << hits;
  EXPECT_NE(hits.find("<td valign=top bgcolor='#ffff80'><a href='?sid=7fe07fe00401&eid=2'"), std::string::npos);
  EXPECT_NE(hits.find("<td valign=top>&lt;速報&gt;</td>"), std::string::npos);
  EXPECT_NE(hits.find("<tr><td valign=top><a href='?sid=7fe07fe00401&eid=3'"), std::string::npos);
  EXPECT_NE(hits.find("<td valign=top bgcolor='#c0c0c0'><a href='?sid=7fe07fe00401&eid=4'"), std::string::npos);
  EXPECT_NE(hits.find("<tr><td valign=top><a href='?sid=7fe040100065&eid=9'"), std::string::npos);
}

TEST_F(LineSearchPageTest, UsersNormaliseGroupsApply) {
  // ド folds to ト in the stored texts and, through the settings, in the word.
  Settings().SetString(L"SYSTEM", L"NORMALIZELIST", L"ドト");
  Load();
  EXPECT_NE(Search("sh_word=トラマ").find("ヒット数：1<BR>"), std::string::npos);
}

}  // namespace
}  // namespace plimod::test
