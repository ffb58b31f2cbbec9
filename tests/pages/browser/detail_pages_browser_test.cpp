// The keyword search and the programme detail page of the running program
// in headless Chromium, on the demo EPG data: detail_check.html searches,
// opens a hit's detail page and hovers a programme of the table (whose box
// now gets the programme's fragment); the pages are photographed under
// <build>/test-artifacts/detail_pages/.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/headless_chromium.h"
#include "tests/support/program_home.h"

namespace plimod::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kArtifacts = PLIMOD_BINARY_DIR "/test-artifacts/detail_pages";
const fs::path kSource = PLIMOD_SOURCE_DIR;

class DetailPagesBrowserTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    chromium_ = FindChromium();
    if (chromium_.empty()) return;
    home_ = new ProgramHome("plimod-detail-browser", L"");
    fs::copy(kSource / "public_html", home_->Path() / "public_html", fs::copy_options::recursive);
    fs::copy_file(kSource / "tests/pages/browser/detail_check.html", home_->Path() / "public_html/detail_check.html");
    fs::create_directories(kArtifacts);
    started_ = home_->HasEpgData() && (pid_ = home_->Start()) > 0 && WaitForTable();
  }
  static void TearDownTestSuite() {
    if (pid_ > 0) StopProcess(pid_, 10s);
    delete home_;
    home_ = nullptr;
  }
  static bool WaitForTable() {
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < end) {
      if (home_->Fetch("/?mode=epg&day=" + Tomorrow()).find("<span class=title>") != std::string::npos) return true;
      std::this_thread::sleep_for(200ms);
    }
    return false;
  }
  void SetUp() override {
    if (chromium_.empty()) GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
    ASSERT_TRUE(started_) << "the program did not serve its programme table";
  }

  static std::map<std::string, std::string> Check(const std::string& name, const std::string& page) {
    std::string log;
    const std::string dom = RunChromium(chromium_, "--window-size=1400,1000 --virtual-time-budget=15000 --dump-dom",
                                        home_->Url(page), log);
    std::ofstream(kArtifacts / (name + ".txt")) << page << "\n" << dom.substr(0, dom.find("<iframe"));
    EXPECT_EQ(log.find("Uncaught"), std::string::npos) << log;
    auto report = ParseCheckReport(dom);
    EXPECT_EQ(report["done"], "1") << dom;
    EXPECT_EQ(report.count("exception"), 0u) << report["exception"];
    return report;
  }
  static void Photograph(const std::string& name, const std::string& page) {
    const fs::path shot = kArtifacts / (name + ".png");
    fs::remove(shot);
    std::string log;
    RunChromium(chromium_, "--window-size=1400,1000 --virtual-time-budget=15000 --screenshot=" + shot.string(),
                home_->Url(page), log);
    EXPECT_GT(fs::exists(shot) ? fs::file_size(shot) : 0, 10000u) << "no screenshot of " << name;
  }

  static inline std::string chromium_;
  static inline ProgramHome* home_ = nullptr;
  static inline pid_t pid_ = 0;
  static inline bool started_ = false;
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
