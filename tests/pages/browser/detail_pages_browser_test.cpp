// The keyword search and the programme detail page of the running program
// in headless Chromium, on the demo EPG data: detail_check.html searches,
// opens a hit's detail page and hovers a programme of the table (whose box
// now gets the programme's fragment); the pages are photographed under
// <build>/test-artifacts/detail_pages/.

#include "tests/support/browser_page_fixture.h"

namespace plimod::test {
namespace {

class DetailPagesBrowserTest : public BrowserPageTest {
 protected:
  static void SetUpTestSuite() {
    StartSuite("plimod-detail-browser", L"",
               {"tests/pages/browser/detail_check.html", "tests/pages/browser/check_steps.js"},
               PLIMOD_BINARY_DIR "/test-artifacts/detail_pages");
  }
  static void TearDownTestSuite() { StopSuite(); }
};

TEST_F(DetailPagesBrowserTest, SearchThenTheDetailPageOfAHit) {
  const auto report = Check("search", "/detail_check.html#search:%E3%83%8B%E3%83%A5%E3%83%BC%E3%82%B9");
  EXPECT_EQ(report.at("title"), "検索");
  EXPECT_EQ(report.at("word"), "ニュース");
  EXPECT_GT(ReportNumber(report, "hits"), 0);
  EXPECT_EQ(ReportNumber(report, "rows"), ReportNumber(report, "hits"));
  EXPECT_EQ(report.at("firstHit").rfind("?sid=", 0), 0u);
  EXPECT_NE(report.at("detailTitle").find("ニュース"), std::string::npos);
  EXPECT_GE(ReportNumber(report, "detailRows"), 5);
  EXPECT_NE(report.at("links").find("iEPGデジタル(ホスト)"), std::string::npos);
  Photograph("search_results", "/detail_check.html#search:%E3%83%8B%E3%83%A5%E3%83%BC%E3%82%B9:stay");
  Photograph("detail_page", "/" + report.at("firstHit"));
}

TEST_F(DetailPagesBrowserTest, TableTooltipShowsTheProgrammesFragment) {
  const std::string table = "/detail_check.html#tooltip:/?mode=epg%26day=" + Tomorrow() + "%26detail=1";
  const auto report = Check("tooltip", table);
  EXPECT_GT(ReportNumber(report, "tooltipLinks"), 0);
  EXPECT_EQ(report.at("tooltipShown"), "pjs_show");
  EXPECT_FALSE(report.at("tooltip").empty());
  EXPECT_EQ(report.at("tooltip").find("まだ使えません"), std::string::npos) << report.at("tooltip");
  Photograph("table_tooltip", table);
}

}  // namespace
}  // namespace plimod::test
