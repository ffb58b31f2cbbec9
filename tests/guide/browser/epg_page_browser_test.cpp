// The programme table, the per-station view and the search grid of the
// running program, on EPG data made by the project's writer, loaded in
// headless Chromium: each view is photographed (kept under
// <build>/test-artifacts/epg_page/) and checked the way a person looks at
// it, through page_check.html, which lays the page out in a frame of the
// same origin and reports columns, overlaps, titles and the tooltip script.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/browser_page_fixture.h"
#include "tests/support/headless_chromium.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using plimod::test::ReportNumber;
using plimod::test::Tomorrow;

const fs::path kArtifacts = PLIMOD_BINARY_DIR "/test-artifacts/epg_page";

// The program on the demo data with a search for "アニメ", serving the
// pages and the check page. Its recorder is the text-file one with a single
// terrestrial tuner and no Program.txt until a test writes one.
class EpgPageBrowserTest : public plimod::test::BrowserPageTest {
 protected:
  static void SetUpTestSuite() {
    recorder_ = new plimod::test::TempFolder("plimod-browser-recorder");
    StartSuite("plimod-browser",
               L"[SEARCH_01]\r\nENABLE=1\r\nWORD=アニメ\r\nSEARCH_TITLE=1\r\n"
               L"[EPGDATACAP]\r\nENABLE=1\r\nTUNERCOUNT=1,0,0\r\nPROGRAMTXT=" +
                   ProgramTxt().wstring() + L"\r\n",
               {"tests/guide/browser/page_check.html"}, kArtifacts);
  }
  static void TearDownTestSuite() {
    StopSuite();
    delete recorder_;
    recorder_ = nullptr;
  }
  static fs::path ProgramTxt() { return recorder_->File("Program.txt"); }

  // Photographs the view, then checks it through the check page.
  std::map<std::string, std::string> LoadView(const std::string& name, const std::string& query) {
    const fs::path shot = kArtifacts / (name + ".png");
    fs::remove(shot);
    std::string log;
    plimod::test::ScreenshotWhen(chromium_, kDesktopWindow, home_->Url("/?" + query), "true", shot, log);
    EXPECT_GT(fs::exists(shot) ? fs::file_size(shot) : 0, 10000u) << "no screenshot of " << name;
    // Script errors of the page itself show as console lines.
    EXPECT_EQ(log.find("Uncaught"), std::string::npos) << log;

    std::string encoded;
    for (char c : query) encoded += c == '&' ? std::string("%26") : std::string(1, c);
    const std::string dom = plimod::test::DumpDomWhen(chromium_, kDesktopWindow, home_->Url("/page_check.html#/?" + encoded),
                                                      plimod::test::kCheckReportDone, log);
    std::ofstream(kArtifacts / (name + ".txt")) << query << "\n" << dom.substr(0, dom.find("<iframe"));
    auto report = plimod::test::ParseCheckReport(dom);
    EXPECT_EQ(report["done"], "1") << dom;
    return report;
  }

  static void ExpectSoundLayout(const std::map<std::string, std::string>& report) {
    EXPECT_EQ(ReportNumber(report, "table"), 1);
    EXPECT_GT(ReportNumber(report, "titles"), 0);
    EXPECT_EQ(ReportNumber(report, "overlaps"), 0);
    EXPECT_EQ(ReportNumber(report, "offColumns"), 0);
    EXPECT_EQ(ReportNumber(report, "hiddenTitles"), 0) << report.at("hidden1");
    EXPECT_EQ(ReportNumber(report, "misplacedHourStarts"), 0);
    EXPECT_EQ(ReportNumber(report, "tooltipScript"), 1);
  }

  static inline plimod::test::TempFolder* recorder_ = nullptr;
};

TEST_F(EpgPageBrowserTest, ProgrammeTable) {
  const std::string query = "mode=epg&day=" + Tomorrow() + "&hour=19&range=6";
  const std::string html = home_->Fetch("/?" + query);
  int channels = 0;
  for (std::size_t at = html.find("bgcolor=#80ffff"); at != std::string::npos; at = html.find("bgcolor=#80ffff", at + 1)) {
    ++channels;
  }
  ASSERT_GT(channels, 1);
  const auto report = LoadView("programme_table", query);
  ExpectSoundLayout(report);
  EXPECT_EQ(ReportNumber(report, "columns"), channels);
  EXPECT_EQ(ReportNumber(report, "labels"), 2 * 6);  // hours 19..24 at both ends
  EXPECT_GT(ReportNumber(report, "hourStarts"), 0);
  EXPECT_EQ(ReportNumber(report, "tooltipShown"), 1);
}

TEST_F(EpgPageBrowserTest, StationView) {
  const auto report = LoadView("station_view", "mode=station&day=" + Tomorrow() + "&range=3");
  ExpectSoundLayout(report);
  EXPECT_EQ(ReportNumber(report, "columns"), 3);
  EXPECT_EQ(ReportNumber(report, "labels"), 2 * 24);  // 05:00 to 29:00
  EXPECT_EQ(ReportNumber(report, "tooltipShown"), 1);
}

TEST_F(EpgPageBrowserTest, SearchGrid) {
  const auto report = LoadView("search_grid", "day=" + Tomorrow() + "&range=2&band=1111");
  ExpectSoundLayout(report);
  EXPECT_EQ(ReportNumber(report, "columns"), 0);
  EXPECT_NE(report.at("sampleTitles").find("アニメ"), std::string::npos);
}

// A reservation line of the text-file recorder for the programme of the
// "sid=...&eid=..." link; `start` decides which reservations collide.
std::string ReservationLine(const std::string& sid, const std::string& eid, const std::string& start,
                            int recordMode) {
  const unsigned long long key = std::stoull(sid, nullptr, 16);
  return "2030/01/01\t" + start + "\t01:00:00\ttitle\tstation\t" + std::to_string((key >> 32) & 0xFFFF) + "\t" +
         std::to_string((key >> 16) & 0xFFFF) + "\t" + std::to_string(key & 0xFFFF) + "\t" +
         std::to_string(std::stoul(eid, nullptr, 16)) + "\t1\t0\t1\t" + std::to_string(recordMode) +
         "\t0\t0\t0\t\r\n";
}

TEST_F(EpgPageBrowserTest, ProgrammeTableWithReservationMarks) {
  const std::string query = "mode=epg&day=" + Tomorrow() + "&hour=19&range=6";
  const std::string html = home_->Fetch("/?" + query);
  // The first four programmes of the page: one reserved, one disabled, and
  // two at the same time for the one tuner, so neither can be recorded.
  const std::regex link("<a href='\\?sid=([0-9a-f]+)&eid=([0-9a-f]+)");
  std::vector<std::pair<std::string, std::string>> programmes;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it) {
    const std::pair<std::string, std::string> found{(*it)[1], (*it)[2]};
    if (std::find(programmes.begin(), programmes.end(), found) == programmes.end()) programmes.push_back(found);
    if (programmes.size() == 4) break;
  }
  ASSERT_EQ(programmes.size(), 4u);
  std::ofstream(ProgramTxt(), std::ios::binary)
      << ReservationLine(programmes[0].first, programmes[0].second, "10:00:00", 1)
      << ReservationLine(programmes[1].first, programmes[1].second, "12:00:00", 5)
      << ReservationLine(programmes[2].first, programmes[2].second, "14:00:00", 1)
      << ReservationLine(programmes[3].first, programmes[3].second, "14:30:00", 1);

  const auto report = LoadView("programme_table_marks", query);
  fs::remove(ProgramTxt());
  ExpectSoundLayout(report);
  EXPECT_EQ(ReportNumber(report, "marked_resv"), 1);
  EXPECT_EQ(ReportNumber(report, "marked_gray"), 1);
  EXPECT_EQ(ReportNumber(report, "marked_badr"), 2);
  EXPECT_EQ(ReportNumber(report, "marked_warn"), 0);
  // A person sees them: each marked cell has its border.
  EXPECT_EQ(ReportNumber(report, "bordered_resv"), 1);
  EXPECT_EQ(ReportNumber(report, "bordered_gray"), 1);
  EXPECT_EQ(ReportNumber(report, "bordered_badr"), 2);
}

}  // namespace
