// The programme table (mode "epg") and the per-station view through a
// string writer, on a store filled by hand, at a fixed clock.

#include <gtest/gtest.h>

#include "epg_page_fixture.h"

namespace plimod::test {
namespace {

class EpgTableViewTest : public EpgPageFixture {};

TEST_F(EpgTableViewTest, EveningWindowRowsLabelsCutStartAndFillers) {
  const std::uint64_t ntv = TrKey(0x408);
  Add(Programme(ntv, 1, 2025, 3, 1, 19, 30, 90, L"Cut"), L"日テレ");
  Add(Programme(ntv, 2, 2025, 3, 1, 21, 0, 60, L"Nine"));
  Add(Programme(ntv, 3, 2025, 3, 1, 22, 0, 180, L"Night"));  // to 01:00 of the 2nd
  Add(Programme(ntv, 4, 2025, 3, 2, 1, 0, 30, L"Late"));    // 25:00
  Add(Programme(ntv, 5, 2025, 3, 2, 3, 0, 30, L"Past"));    // below the window
  Add(Programme(TrKey(0x410), 1, 2025, 3, 1, 21, 0, 60, L"Only"), L"テレ朝");

  const std::string page = Render("mode=epg&day=20250301&hour=20&range=6");
  const auto tables = DayTables(page);
  ASSERT_EQ(tables.size(), 1u);
  const std::string& table = tables[0];
  EXPECT_NE(table.find("colspan=2><font color=#ffffff>　　3/1(<font color=skyblue>土</font>)</font>"),
            std::string::npos);
  // One label per hour from 20 to 25, at both ends of the row.
  for (const char* label : {"class=tm_nig>20</TD>", "class=tm_nig>23</TD>", "class=tm_mid>24</TD>",
                            "class=tm_mid>25</TD>"}) {
    EXPECT_EQ(Count(table, label), 2) << label;
  }
  EXPECT_EQ(Count(table, "class=tm_mid>26</TD>"), 0);
  EXPECT_EQ(page.find("Past"), std::string::npos);

  const auto cells = GridCells(table);
  // The 19:30 programme sits at the top, shows its real start and covers
  // the 20:00-21:00 hour (rows of 30 minutes there).
  const TableCell cut = CellWith(cells, "Cut");
  EXPECT_EQ(cut.row, 0);
  EXPECT_NE(cut.text.find(">19:30</a>"), std::string::npos);
  EXPECT_EQ(cut.rowspan, 1);
  EXPECT_NE(CellWith(cells, "Late").text.find(">00</a>"), std::string::npos);
  // Fillers before and after the second channel's one programme and after
  // the first channel's last.
  EXPECT_EQ(Count(table, "bgcolor=#606060"), 3);
  EXPECT_EQ(CheckTableShape(cells, RowCount(table), 4, true), "");
  // Column headers link the per-station view.
  EXPECT_NE(table.find("<a href='?mode=station&chid=T0408H&"), std::string::npos);
  EXPECT_NE(table.find(">日テレ</a></span>"), std::string::npos);
}

TEST_F(EpgTableViewTest, SubChannelIdleAtTheStartWidensTheMainProgramme) {
  const std::uint64_t main = TrKey(0x400);
  const std::uint64_t sub = TrKey(0x401);
  Add(Programme(main, 1, 2025, 3, 1, 20, 0, 60, L"Main20"), L"総合");
  Add(Programme(main, 2, 2025, 3, 1, 21, 0, 60, L"Main21"));
  Add(Programme(sub, 1, 2025, 3, 1, 20, 0, 60, L"Sub20"), L"総合2");
  // A CS pair is never grouped.
  Add(Programme(CsKey(0x200), 1, 2025, 3, 1, 21, 0, 60, L"CsMain"));
  Add(Programme(CsKey(0x201), 1, 2025, 3, 1, 20, 0, 60, L"CsSub"));

  const std::string table = DayTables(Render("mode=epg&day=20250301&hour=20&range=2"))[0];
  const auto cells = GridCells(table);
  EXPECT_EQ(CellWith(cells, "Main20").colspan, 1);
  EXPECT_EQ(CellWith(cells, "Sub20").colspan, 1);
  EXPECT_EQ(CellWith(cells, "Main21").colspan, 2);
  EXPECT_EQ(CheckTableShape(cells, RowCount(table), 4, true), "");

  const std::string cs = DayTables(Render("mode=epg&day=20250301&hour=20&range=2&band=100"))[0];
  const auto csCells = GridCells(cs);
  EXPECT_EQ(CellWith(csCells, "CsMain").colspan, 1);
  EXPECT_EQ(CheckTableShape(csCells, RowCount(cs), 4, true), "");
}

TEST_F(EpgTableViewTest, RowGridFollowsTheMinutesOfEachHour) {
  const std::uint64_t key = TrKey(0x408);
  Add(Programme(key, 1, 2025, 3, 1, 5, 0, 30, L"A"));
  Add(Programme(key, 2, 2025, 3, 1, 5, 30, 40, L"B"));  // ends 06:10
  Add(Programme(key, 3, 2025, 3, 1, 6, 10, 57, L"C"));  // ends 07:07
  Add(Programme(key, 4, 2025, 3, 1, 7, 7, 53, L"D"));

  const std::string table = DayTables(Render("mode=epg&day=20250301&hour=5&range=3"))[0];
  EXPECT_NE(table.find("<TD rowspan=2 align=right valign=top width=1 class=tm_mor>5</TD>"), std::string::npos);
  EXPECT_NE(table.find("<TD rowspan=6 align=right valign=top width=1 class=tm_mor>6</TD>"), std::string::npos);
  EXPECT_NE(table.find("<TD rowspan=60 align=right valign=top width=1 class=tm_mor>7</TD>"), std::string::npos);
  EXPECT_EQ(RowCount(table), 2 + 6 + 60);
  const auto cells = GridCells(table);
  EXPECT_EQ(CellWith(cells, "B").rowspan, 1 + 1);
  EXPECT_EQ(CellWith(cells, "C").rowspan, 5 + 7);
  EXPECT_EQ(CheckTableShape(cells, RowCount(table), 3, true), "");
}

TEST_F(EpgTableViewTest, BrokenDataStillGivesASoundTable) {
  const std::uint64_t key = TrKey(0x408);
  Add(Programme(key, 1, 2025, 3, 1, 20, 0, 90, L"Long"));
  Add(Programme(key, 2, 2025, 3, 1, 20, 30, 30, L"Inside"));  // overlaps Long
  Add(Programme(key, 3, 2025, 3, 1, 22, 0, 0, L"Zero"));
  EpgEvent seconds = Programme(key, 4, 2025, 3, 1, 22, 30, 0, L"Seconds");
  seconds.durationSeconds = 20;
  Add(seconds);

  const std::string table = DayTables(Render("mode=epg&day=20250301&hour=20&range=4"))[0];
  const auto cells = GridCells(table);
  EXPECT_EQ(CellWith(cells, "Zero").rowspan, 1);
  EXPECT_EQ(CellWith(cells, "Seconds").rowspan, 1);
  for (const TableCell& cell : cells) EXPECT_GE(cell.rowspan, 1);
  // No filler is put back over the long programme after the overlap.
  for (const TableCell& cell : cells) {
    if (cell.text.find("#606060") != std::string::npos) {
      EXPECT_GE(cell.row, 1) << cell.text;
    }
  }
  EXPECT_NE(table.find("rowspan=0"), 0u);
  EXPECT_EQ(table.find("rowspan=0 "), std::string::npos);
}

TEST_F(EpgTableViewTest, StationViewCutsAt29AndContinuesInTheNextColumn) {
  const std::uint64_t key = TrKey(0x408);
  Add(Programme(key, 1, 2025, 3, 1, 12, 0, 60, L"Noon"), L"日テレ");
  Add(Programme(key, 2, 2025, 3, 1, 28, 30, 90, L"Overnight"));  // 04:30-06:00 of the 2nd
  Add(Programme(key, 3, 2025, 3, 3, 6, 0, 60, L"Third"));
  Add(Programme(key, 4, 2025, 3, 4, 6, 0, 60, L"Fourth"));  // past the range
  Add(Programme(TrKey(0x410), 1, 2025, 3, 1, 12, 0, 60, L"Other"));

  const std::string page = Render("mode=station&chid=T0408H&day=20250301&range=3");
  const auto tables = DayTables(page);
  ASSERT_EQ(tables.size(), 1u);
  const std::string& table = tables[0];
  EXPECT_NE(table.find("<span class=station>3/1(<font color=skyblue>土</font>)</span>"), std::string::npos);
  EXPECT_NE(table.find("<span class=station>3/2(<font color=red>日</font>)</span>"), std::string::npos);
  EXPECT_NE(table.find("<span class=station>3/3(月)</span>"), std::string::npos);
  EXPECT_EQ(page.find("Fourth"), std::string::npos);
  EXPECT_EQ(page.find("Other"), std::string::npos);
  // The current channel in the strip, unlinked and white.
  EXPECT_NE(table.find("</span><font color=#ffffff>日テレ</font><span class=small>"), std::string::npos);

  const auto cells = GridCells(table);
  EXPECT_EQ(Count(table, "Overnight"), 2);
  std::vector<TableCell> overnight;
  for (const TableCell& cell : cells) {
    if (cell.text.find("Overnight") != std::string::npos) overnight.push_back(cell);
  }
  ASSERT_EQ(overnight.size(), 2u);
  // Continued at 05:00 of the second column with its real start...
  EXPECT_NE(overnight[0].text.find(">28:30</a>"), std::string::npos);
  EXPECT_EQ(overnight[0].row, 0);
  EXPECT_EQ(overnight[0].rowspan, 1);  // 05:00-06:00, one row
  // ...after starting at 28:30 in the first.
  EXPECT_NE(overnight[1].text.find(">30</a>"), std::string::npos);
  EXPECT_GT(overnight[1].row, 0);
  EXPECT_EQ(CheckTableShape(cells, RowCount(table), 5, true), "");
}

TEST_F(EpgTableViewTest, StationStripShowsFiveChannelsRoundTheCurrentOne) {
  for (std::uint16_t n = 1; n <= 7; ++n) {
    Add(Programme(TrKey(static_cast<std::uint16_t>(0x400 + 0x10 * n)), 1, 2025, 3, 1, 12, 0, 60, L"P"),
        L"ch" + std::to_wstring(n));
  }
  const std::string table = DayTables(Render("mode=station&chid=T0410H&day=20250301&range=1"))[0];
  // ch1 is current: ch6 ch7 [ch1] ch2 ch3, jumps of 7 - 3 = 4 channels
  // back to ch4 and on to ch5.
  const std::size_t back = table.find("<a href='?chid=T0440H&");
  const std::size_t six = table.find(">ch6</a>");
  const std::size_t current = table.find("<font color=#ffffff>ch1</font>");
  const std::size_t three = table.find(">ch3</a>");
  const std::size_t forward = table.find("<a href='?chid=T0450H&");
  ASSERT_NE(back, std::string::npos);
  EXPECT_LT(back, six);
  EXPECT_LT(six, current);
  EXPECT_LT(current, three);
  EXPECT_NE(forward, std::string::npos);
  EXPECT_LT(three, forward);
  EXPECT_EQ(table.find(">ch4</a>"), std::string::npos);
  EXPECT_EQ(table.find(">ch5</a>"), std::string::npos);
  EXPECT_EQ(Count(table, "class=chname>&lt;&lt;</a>"), 1);
  EXPECT_EQ(Count(table, "class=chname>&gt;&gt;</a>"), 1);

  // Three channels: all of them, no jumps.
  ServiceMap.clear();
  events_.clear();
  for (std::uint16_t n = 1; n <= 3; ++n) {
    Add(Programme(TrKey(static_cast<std::uint16_t>(0x400 + 0x10 * n)), 1, 2025, 3, 1, 12, 0, 60, L"P"),
        L"ch" + std::to_wstring(n));
  }
  const std::string few = DayTables(Render("mode=station&chid=T0420H&day=20250301&range=1"))[0];
  EXPECT_EQ(few.find("&lt;&lt;"), std::string::npos);
  EXPECT_LT(few.find(">ch1</a>"), few.find("<font color=#ffffff>ch2</font>"));
  EXPECT_LT(few.find("<font color=#ffffff>ch2</font>"), few.find(">ch3</a>"));
}

TEST_F(EpgTableViewTest, HeadAndTopLinksOfTheProgrammeTable) {
  Add(Programme(TrKey(0x408), 1, 2025, 3, 1, 20, 0, 60, L"P"));
  const std::string page = Render("mode=epg&day=20250301&hour=27&range=6&band=1");
  EXPECT_EQ(page.rfind("HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n", 0), 0u);
  EXPECT_NE(page.find("<link rel='stylesheet' href='plx.css' media='screen' type='text/css'>\n"), std::string::npos);
  EXPECT_NE(page.find("<script type='text/javascript' src='plimo.js' charset='utf-8'></script>\n"),
            std::string::npos);
  EXPECT_NE(page.find("<span class=off><A HREF='?"), std::string::npos);
  EXPECT_NE(page.find("<span class=on><A HREF='?mode=epg&"), std::string::npos);
  // 27 + 6 passes 29: the next band is 09:00 of the next day.
  EXPECT_NE(page.find("<A HREF='?day=20250302&hour=9&"), std::string::npos);
  EXPECT_NE(page.find(">次帯</A>"), std::string::npos);
  EXPECT_NE(page.find("'>3</A> 6 <A HREF='?range=12&"), std::string::npos);
  EXPECT_NE(page.find("<span class=on><A HREF='?band=1&"), std::string::npos);
  EXPECT_NE(page.find("<span class=off><A HREF='?band=10&"), std::string::npos);
  EXPECT_EQ(page.find(">不</A>"), std::string::npos);
  EXPECT_EQ(page.find(">語</A>"), std::string::npos);
  EXPECT_EQ(Count(page, "<span class=ctrl>"), 2);  // the navigation bar above and below
  EXPECT_TRUE(page.ends_with("</BODY></HTML>\n"));

  Set(L"SYSTEM", L"USECSSTOOLTIP", L"1");
  const std::string css = Render("mode=epg&day=20250301&hour=20");
  EXPECT_EQ(css.find("plimo.js"), std::string::npos);
}

}  // namespace
}  // namespace plimod::test
