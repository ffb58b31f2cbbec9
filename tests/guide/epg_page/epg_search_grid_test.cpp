// The search-hit grid through a string writer: which events it keeps, how
// overlapping hits share a day's 180 columns, the calendar-only programmes,
// the reservation classes and colours, and escaping of outside texts.

#include <gtest/gtest.h>

#include "epg_page_fixture.h"
#include "guide/epg_page/epg_page_hooks.h"

namespace plimod::test {
namespace {

class EpgSearchGridTest : public EpgPageFixture {
 protected:
  void SetUp() override {
    EpgPageFixture::SetUp();
    Condition(1, L"hit");
  }
};

TEST_F(EpgSearchGridTest, EarlyMorningHitBelongsToThePreviousBroadcastDay) {
  Add(Programme(TrKey(0x408), 1, 2025, 3, 5, 2, 0, 30, L"hit late"));
  Add(Programme(TrKey(0x408), 2, 2025, 3, 4, 21, 0, 30, L"no match"));
  const std::string page = Render("day=20250304&range=2");
  const auto tables = DayTables(page);
  ASSERT_EQ(tables.size(), 1u);  // the 5th has no cell: no table for it
  EXPECT_NE(tables[0].find("　　3/4(火)</font>"), std::string::npos);
  EXPECT_EQ(page.find("no match"), std::string::npos);
  const auto cells = GridCells(tables[0]);
  const TableCell hit = CellWith(cells, "hit late");
  EXPECT_EQ(hit.colspan, 180);
  // 05:00 to 26:00 is one row per hour (21 rows) above it.
  EXPECT_EQ(hit.row, 21);
  EXPECT_NE(tables[0].find("class=tm_mid>26</TD>"), std::string::npos);
  // The grid writes each hour label once.
  EXPECT_EQ(Count(tables[0], "class=tm_mid>26</TD>"), 1);
}

TEST_F(EpgSearchGridTest, OverlappingHitsShareTheDay) {
  Add(Programme(TrKey(0x408), 1, 2025, 3, 4, 20, 0, 60, L"hit A"));
  Add(Programme(TrKey(0x410), 1, 2025, 3, 4, 20, 30, 60, L"hit B"));
  Add(Programme(TrKey(0x408), 2, 2025, 3, 4, 22, 0, 60, L"hit C"));
  Add(Programme(TrKey(0x410), 2, 2025, 3, 4, 22, 0, 60, L"hit D"));
  Add(Programme(TrKey(0x418), 1, 2025, 3, 4, 22, 15, 30, L"hit E"));
  Add(Programme(TrKey(0x418), 2, 2025, 3, 4, 23, 30, 0, L"hit zero"));
  const std::string table = DayTables(Render("day=20250304&range=1"))[0];
  const auto cells = GridCells(table);
  EXPECT_EQ(CellWith(cells, "hit A").colspan, 90);
  EXPECT_EQ(CellWith(cells, "hit B").colspan, 90);
  EXPECT_EQ(CellWith(cells, "hit C").colspan, 60);
  EXPECT_EQ(CellWith(cells, "hit D").colspan, 60);
  EXPECT_EQ(CellWith(cells, "hit E").colspan, 60);
  const TableCell zero = CellWith(cells, "hit zero");
  EXPECT_EQ(zero.colspan, 180);
  EXPECT_EQ(zero.rowspan, 1);
  EXPECT_EQ(CheckTableShape(cells, RowCount(table), 181, false), "");
}

TEST_F(EpgSearchGridTest, EmptyViewDrawsTheBaseDayTitleOnly) {
  Add(Programme(TrKey(0x408), 1, 2025, 3, 4, 20, 0, 60, L"nothing"));
  const std::string page = Render("day=20250304&range=3");
  const auto tables = DayTables(page);
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(RowCount(tables[0]), 0);
  EXPECT_NE(page.find("<span class=on><A HREF='?"), std::string::npos);  // 検索 is the current view
  EXPECT_NE(page.find("日数 <A HREF='?range=1&"), std::string::npos);
  EXPECT_TRUE(page.ends_with("</TBODY></TABLE>\n</BODY></HTML>\n"));
}

TEST_F(EpgSearchGridTest, DaysBetweenHitsGetATitleRowOnly) {
  Add(Programme(TrKey(0x408), 1, 2025, 3, 4, 20, 0, 60, L"hit first"));
  Add(Programme(TrKey(0x408), 2, 2025, 3, 6, 20, 0, 60, L"hit third"));
  const auto tables = DayTables(Render("day=20250304&range=3"));
  ASSERT_EQ(tables.size(), 3u);
  EXPECT_GT(RowCount(tables[0]), 0);
  EXPECT_EQ(RowCount(tables[1]), 0);
  EXPECT_NE(tables[2].find("hit third"), std::string::npos);
}

TEST_F(EpgSearchGridTest, OtherBandHitsShowUnderEveryFilter) {
  Add(Programme(OtherKey(0x30), 1, 2025, 3, 4, 20, 0, 60, L"hit other"));
  Add(Programme(BsKey(0x101), 1, 2025, 3, 4, 21, 0, 60, L"hit bs"));
  const std::string page = Render("day=20250304&range=1&band=1");
  EXPECT_NE(page.find("hit other"), std::string::npos);
  EXPECT_EQ(page.find("hit bs"), std::string::npos);
  // The band links toggle their bit; 不 shows once the band has a channel.
  EXPECT_NE(page.find("<span class=on><A HREF='?band=0&"), std::string::npos);
  EXPECT_NE(page.find("<span class=off><A HREF='?band=11&"), std::string::npos);
  EXPECT_NE(page.find("|<span class=off><A HREF='?band=1001&"), std::string::npos);
}

TEST_F(EpgSearchGridTest, ReservationClassesAndKeptUnmatchedReservations) {
  Add(Programme(TrKey(0x408), 1, 2025, 3, 4, 18, 0, 30, L"plain resv"));
  Add(Programme(TrKey(0x408), 2, 2025, 3, 4, 19, 0, 30, L"bad resv"));
  Add(Programme(TrKey(0x408), 3, 2025, 3, 4, 20, 0, 30, L"warn resv"));
  Add(Programme(TrKey(0x408), 4, 2025, 3, 4, 21, 0, 30, L"off resv"));
  Add(Programme(TrKey(0x408), 5, 2025, 3, 4, 22, 0, 30, L"hit"));
  Set(L"EPGDATACAP", L"ADDTUNERNAME", L"1");
  EpgPageHooks hooks;
  hooks.findReserveForEvent = [](const EpgEvent& event) -> std::optional<PageReserveMark> {
    PageReserveMark mark;
    mark.tunerLabel = L"BonDriver_A(0)";
    switch (event.eventId) {
      case 1: mark.comment = "\x83\x65\x83\x58\x83\x67"; return mark;  // テスト in the system code page
      case 2: mark.inUnrecordableList = true; return mark;
      case 3: mark.inUnrecordableList = true; mark.unrecordable = 1; return mark;
      case 4: mark.disabled = true; return mark;
      default: return std::nullopt;
    }
  };
  SetEpgPageHooks(hooks);
  const auto cells = GridCells(DayTables(Render("day=20250304&range=1"))[0]);
  const TableCell plain = CellWith(cells, "plain resv");
  EXPECT_NE(plain.text.find(" class=resv>"), std::string::npos);
  EXPECT_NE(plain.text.find("<td width=0pt>"), std::string::npos);
  EXPECT_NE(plain.text.find("\t\t\t<span class=detail>テスト</span><br>\n"), std::string::npos);
  EXPECT_NE(plain.text.find("<span class=detail>BonDriver_A(0)</span>"), std::string::npos);
  EXPECT_NE(CellWith(cells, "bad resv").text.find(" class=badr>"), std::string::npos);
  EXPECT_NE(CellWith(cells, "warn resv").text.find(" class=warn>"), std::string::npos);
  EXPECT_NE(CellWith(cells, "off resv").text.find(" class=gray>"), std::string::npos);
  const TableCell hit = CellWith(cells, ">hit<");
  EXPECT_NE(hit.text.find(" class=norm>"), std::string::npos);
  EXPECT_NE(hit.text.find("<td width=2pt>"), std::string::npos);
}

TEST_F(EpgSearchGridTest, NoteColourAndMarkedWords) {
  Condition(2, L"other");
  Condition(3, L"hit");
  Set(L"SEARCH_01", L"ENABLE", L"0");
  Set(L"SEARCH_03", L"DRAW_BGTYPE", L"1");
  Set(L"SEARCH_03", L"DRAW_BGCOLOR", L"#ff00ff");
  Set(L"SYSTEM", L"ADDCONDITIONNO", L"1");
  Set(L"EPGDATACAP", L"ADDTUNERNAME", L"1");
  EpgEvent event = Programme(TrKey(0x408), 1, 2025, 3, 4, 20, 0, 60, L"big hit show");
  event.genres.push_back({2, 0, 0, 0});
  Add(event);
  EpgEvent genre = Programme(TrKey(0x408), 2, 2025, 3, 4, 22, 0, 60, L"other");
  genre.genres.push_back({14, 0, 0, 0});
  genre.genres.push_back({6, 0, 0, 0});
  Add(genre);
  EpgPageHooks hooks;
  hooks.findReserveForEvent = [](const EpgEvent& e) -> std::optional<PageReserveMark> {
    if (e.eventId != 1) return std::nullopt;
    PageReserveMark mark;
    mark.tunerLabel = L"BonDriver_A(0)";
    return mark;
  };
  hooks.findAutoReserveNoForEvent = [](const EpgEvent& e) { return e.eventId == 1 ? 2 : 0; };
  SetEpgPageHooks(hooks);

  const auto cells = GridCells(DayTables(Render("day=20250304&range=1&mark=1"))[0]);
  const TableCell hit = CellWith(cells, "show");
  EXPECT_NE(hit.text.find("bgcolor=#ff00ff"), std::string::npos);
  EXPECT_NE(hit.text.find("<span class=detail>(No.3)BonDriver_A(0) 自動予約 No.2</span>"), std::string::npos);
  EXPECT_NE(hit.text.find("big <font class=marker>hit</font> show"), std::string::npos);
  EXPECT_NE(hit.text.find("<a href='?sid=7fe07fe00408&eid=1&cn=3' target=_blank>00</a>"), std::string::npos);
  // A genre above 12 gives way to the second entry (映画).
  EXPECT_NE(CellWith(cells, ">other<").text.find("bgcolor=#cbeac3"), std::string::npos);
}

TEST_F(EpgSearchGridTest, PageStartStepsRunOncePerPageAndTheirLookUpsAnswer) {
  Condition(3, L"hit");
  Add(Programme(TrKey(0x408), 1, 2025, 3, 4, 20, 0, 60, L"big hit show"));
  Add(Programme(TrKey(0x408), 2, 2025, 3, 4, 22, 0, 60, L"second hit"));
  static int runs = 0;
  runs = 0;
  EpgPageHooks hooks;
  hooks.findAutoReserveNoForEvent = [](const EpgEvent&) { return 9; };
  hooks.pageStart.push_back([](EpgPageHooks& page) {
    const int number = ++runs;
    page.findAutoReserveNoForEvent = [number](const EpgEvent& e) { return e.eventId == 1 ? number : 0; };
  });
  SetEpgPageHooks(hooks);

  Render("day=20250304&range=1");
  const auto cells = GridCells(DayTables(Render("day=20250304&range=1"))[0]);
  EXPECT_EQ(runs, 2);
  EXPECT_NE(CellWith(cells, "big hit show").text.find("自動予約 No.2"), std::string::npos);
  EXPECT_EQ(CellWith(cells, "second hit").text.find("自動予約"), std::string::npos);
}

TEST_F(EpgSearchGridTest, CalendarProgrammesWithoutEpgEvents) {
  Add(Programme(TrKey(0x408), 1, 2025, 3, 4, 20, 0, 60, L"listed"));
  std::vector<PageSyoboiProgram> schedule;
  PageSyoboiProgram unknown;  // channel unknown here
  unknown.pid = 501;
  unknown.tid = 77;
  unknown.title = L"Tom &amp; Jerry";
  unknown.subtitle = L"sub";
  unknown.count = 12;
  unknown.comment = L"<b>note</b>";
  unknown.channelName = L"Far TV";
  unknown.start = At(2025, 3, 4, 23, 0);
  unknown.durationSeconds = 1800;
  schedule.push_back(unknown);
  PageSyoboiProgram lost = unknown;  // cannot be found again
  lost.pid = 502;
  lost.title = L"lost one";
  lost.start = At(2025, 3, 4, 23, 30);
  schedule.push_back(lost);
  PageSyoboiProgram bs = unknown;  // known BS channel, not seen
  bs.pid = 503;
  bs.serviceKey = BsKey(0x101);
  bs.title = L"bs one";
  bs.start = At(2025, 3, 4, 21, 0);
  schedule.push_back(bs);

  EpgPageHooks hooks;
  bool cleared = false;
  hooks.clearSyoboiSeenFlags = [&cleared] { cleared = true; };
  hooks.findSyoboiProgram = [](std::uint64_t key, const SystemTime& start) {
    return key == TrKey(0x408) && start.wHour == 20;
  };
  hooks.syoboiPrograms = [schedule] { return schedule; };
  hooks.findSyoboiProgramByPid = [schedule](int pid, const SystemTime&) -> std::optional<PageSyoboiProgram> {
    for (const auto& program : schedule) {
      if (program.pid == pid && pid != 502) return program;
    }
    return std::nullopt;
  };
  hooks.syoboiHost = "cal.example";
  SetEpgPageHooks(hooks);

  for (const char* band : {"1", "10", "100", "0"}) {
    const std::string page = Render(std::string("day=20250304&range=1&detail=1&band=") + band);
    EXPECT_NE(page.find("Tom &amp; Jerry"), std::string::npos) << band;
  }
  EXPECT_TRUE(cleared);
  const std::string page = Render("day=20250304&range=1&detail=1&band=111");
  const auto cells = GridCells(DayTables(page)[0]);
  EXPECT_NE(CellWith(cells, ">listed<").text.find("<a href='?sid=7fe07fe00408&eid=1' target=_blank>"),
            std::string::npos);
  const TableCell found = CellWith(cells, "Tom &amp; Jerry");
  EXPECT_NE(found.text.find("<a href='http://cal.example/tid/77#501' target=_blank>00</a>"), std::string::npos);
  EXPECT_NE(found.text.find("<span class=station>Far TV</span>"), std::string::npos);
  EXPECT_NE(found.text.find("<span class=explan>#12 sub</span>"), std::string::npos);
  EXPECT_NE(found.text.find("<span class=detail>&lt;b&gt;note&lt;/b&gt;</span>"), std::string::npos);
  EXPECT_EQ(found.text.find("class=slink"), std::string::npos);
  const TableCell bare = CellWith(cells, "lost one");
  EXPECT_NE(bare.text.find("<span class=minute><a>30</a></span>"), std::string::npos);
  EXPECT_NE(bare.text.find("<span class=station></span>"), std::string::npos);
  EXPECT_NE(page.find("bs one"), std::string::npos);
  EXPECT_EQ(Render("day=20250304&range=1&band=1").find("bs one"), std::string::npos);
}

TEST_F(EpgSearchGridTest, OutsideTextsCannotAddMarkup) {
  Set(L"SYSTEM", L"USECSSTOOLTIP", L"1");
  Set(L"GENRECOLOR", L"ジャンル無し", L"red onmouseover=x");
  EpgEvent event = Programme(TrKey(0x408), 1, 2025, 3, 4, 20, 0, 60, L"hit <img src=x onerror=alert(1)>");
  event.SetShortText(L"a'b\"c");
  event.SetExtendedText(L"line1\r\n<script>x</script>");
  Add(event, L"O'Brien TV");
  const std::string page = Render("day=20250304&range=1&detail=0");
  EXPECT_EQ(page.find("<img src=x"), std::string::npos);
  EXPECT_NE(page.find("hit &lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
  EXPECT_NE(page.find("<span class=station>O&#39;Brien TV</span>"), std::string::npos);
  EXPECT_EQ(page.find("<script>x"), std::string::npos);
  EXPECT_NE(page.find("line1<BR>&lt;script&gt;"), std::string::npos);
  EXPECT_NE(page.find("bgcolor='red onmouseover=x'"), std::string::npos);
}

}  // namespace
}  // namespace plimod::test
