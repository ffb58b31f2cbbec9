#include <gtest/gtest.h>

#include <string>

#include "guide/civil_time.h"
#include "guide/navigation_bar.h"
#include "guide_fixture.h"

namespace plimod::test {
namespace {

class NavigationBarTest : public GuideFixture {
 protected:
  std::string Bar(int hour, int range, const std::string& query = "mode=epg") {
    params_.Reset(query);
    std::string page;
    ReplyWriter out(&page);
    WriteNavigationBar(out, params_, kBandTerrestrial, LocalMidnight(2025, 3, 1), hour, range);
    return page;
  }
  RequestParameters params_;
};

TEST_F(NavigationBarTest, StepLinksWrapAtTheBroadcastDay) {
  const std::string bar = Bar(27, 6);
  EXPECT_NE(bar.find("<A HREF='?day=20250302&hour=9&mode=epg'>次の時間</A> "), std::string::npos) << bar;
  EXPECT_NE(bar.find("<A HREF='?day=20250301&hour=21&mode=epg'>前の時間</A>|"), std::string::npos);
  EXPECT_NE(bar.find("<A HREF='?day=20250302&hour=6&mode=epg'>+3時間</A> "), std::string::npos);
  EXPECT_NE(bar.find("<A HREF='?day=20250228&hour=27&mode=epg'>前の日</A>|"), std::string::npos);

  const std::string morning = Bar(6, 3);
  EXPECT_NE(morning.find("<A HREF='?day=20250228&hour=27&mode=epg'>-3時間</A>|"), std::string::npos) << morning;
  EXPECT_NE(morning.find("<A HREF='?day=20250228&hour=27&mode=epg'>前の時間</A>|"), std::string::npos);
  EXPECT_NE(morning.find("<A HREF='?day=20250301&hour=9&mode=epg'>次の時間</A> "), std::string::npos);
}

TEST_F(NavigationBarTest, WeekFromTodaysBroadcastDayAndHourLinks) {
  SetNow(At(2025, 3, 2, 3, 0));  // before 05:00 on Sunday: today is Saturday the 1st
  const std::string bar = Bar(20, 6, "mode=epg&day=20250310&hour=20");
  EXPECT_EQ(bar.rfind("<span class=ctrl><A HREF='?mode=epg'>今日</A> "
                      "<A HREF='?day=20250301&mode=epg&hour=20'><font color=skyblue>土</font></A>"
                      "<A HREF='?day=20250302&mode=epg&hour=20'><font color=red>日</font></A>"
                      "<A HREF='?day=20250303&mode=epg&hour=20'><font color=black>月</font></A>",
                      0),
            0u)
      << bar;
  EXPECT_NE(bar.find("<A HREF='?day=20250307&mode=epg&hour=20'><font color=black>金</font></A> "),
            std::string::npos);
  EXPECT_NE(bar.find("<A HREF='?hour=5&mode=epg&day=20250310'>5時</A> "), std::string::npos);
  EXPECT_NE(bar.find("<A HREF='?hour=27&mode=epg&day=20250310'>27時</A> "), std::string::npos);
  EXPECT_EQ(bar.substr(bar.size() - 8), "</span>\n");
}

TEST_F(NavigationBarTest, ColumnAndPageLinks) {
  for (std::uint16_t sid = 1; sid <= 25; ++sid) AddService(TrKey(sid));
  const std::string bar = Bar(20, 6, "mode=epg&page=2");
  EXPECT_NE(bar.find(" 列数:<A HREF='?limit=6&mode=epg&page=2'>6</A> <A HREF='?limit=8&mode=epg&page=2'>8</A> "
                     "10 <A HREF='?limit=12&mode=epg&page=2'>12</A> "),
            std::string::npos)
      << bar;
  EXPECT_NE(bar.find(" 頁:<A HREF='?page=all&mode=epg'>全</A> <A HREF='?page=1&mode=epg'>1</A> 2 "
                     "<A HREF='?page=3&mode=epg'>3</A> </span>"),
            std::string::npos);
  EXPECT_NE(Bar(20, 6, "mode=epg&page=all").find(" 頁:全 <A HREF='?page=1&mode=epg'>1</A> "), std::string::npos);
  // A page past the last marks none.
  EXPECT_NE(Bar(20, 6, "mode=epg&page=9").find("<A HREF='?page=3&mode=epg'>3</A> </span>"), std::string::npos);
  // Ten channels fit on one page: no page links.
  ServiceMap.clear();
  for (std::uint16_t sid = 1; sid <= 10; ++sid) AddService(TrKey(sid));
  EXPECT_EQ(Bar(20, 6).find("頁:"), std::string::npos);
}

TEST_F(NavigationBarTest, InjectedViewValuesStayInsideTheirLinks) {
  const std::string bar = Bar(20, 6, "mode=epg'><script>&chid=a%0D%0Ab");
  EXPECT_EQ(bar.find("<script>"), std::string::npos);
  EXPECT_EQ(bar.find('\r'), std::string::npos);
  EXPECT_NE(bar.find("mode=epg%27%26gt%3B%26lt%3Bscript%26gt%3B"), std::string::npos) << bar;
}

}  // namespace
}  // namespace plimod::test
