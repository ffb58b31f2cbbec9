// The search condition editor, the colour picker and the genre colour page
// of the running program in headless Chromium, on the demo EPG data: the
// editor with its preview and the pickers are photographed (kept under
// <build>/test-artifacts/settings_pages/), and settings_check.html works
// the forms in a same-origin frame as a person would. A condition saved
// there must then show in the search grid.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/headless_chromium.h"
#include "tests/support/program_home.h"

namespace plimod::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kArtifacts = PLIMOD_BINARY_DIR "/test-artifacts/settings_pages";
const fs::path kSource = PLIMOD_SOURCE_DIR;

class SettingsPagesBrowserTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    chromium_ = FindChromium();
    if (chromium_.empty()) return;
    home_ = new ProgramHome("plimod-settings-browser", L"[SEARCH_01]\r\nENABLE=1\r\nWORD=アニメ\r\nSEARCH_TITLE=1\r\n");
    fs::copy(kSource / "public_html", home_->Path() / "public_html", fs::copy_options::recursive);
    for (const char* page : {"tests/pages/browser/settings_check.html", "tests/guide/browser/page_check.html"}) {
      fs::copy_file(kSource / page, home_->Path() / "public_html" / fs::path(page).filename());
    }
    fs::create_directories(kArtifacts);
    started_ = StartProgram();
  }
  static void TearDownTestSuite() {
    if (pid_ > 0) StopProcess(pid_, 10s);
    delete home_;
    home_ = nullptr;
  }
  // Up once the programme table has titles (the first EPG load is done).
  static bool StartProgram() {
    if (!home_->HasEpgData()) return false;
    pid_ = home_->Start();
    if (pid_ <= 0) return false;
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

  // The page as a person sees it, opened from one of the program's own
  // pages (a command opened from elsewhere gets the programme table).
  static void Photograph(const std::string& name, const std::string& query) {
    const fs::path shot = kArtifacts / (name + ".png");
    fs::remove(shot);
    std::string log;
    RunChromium(chromium_, "--window-size=1400,1000 --virtual-time-budget=5000 --screenshot=" + shot.string(), home_->Url(ShowPage(query)),
                log);
    EXPECT_GT(fs::exists(shot) ? fs::file_size(shot) : 0, 10000u) << "no screenshot of " << name;
  }

  // Runs a check page (with its "#" part) and returns its report.
  static std::map<std::string, std::string> Check(const std::string& name, const std::string& page) {
    std::string log;
    const std::string dom = RunChromium(chromium_, "--window-size=1400,1000 --virtual-time-budget=15000 --dump-dom", home_->Url(page), log);
    std::ofstream(kArtifacts / (name + ".txt")) << page << "\n" << dom.substr(0, dom.find("<iframe"));
    EXPECT_EQ(log.find("Uncaught"), std::string::npos) << log;
    auto report = ParseCheckReport(dom);
    EXPECT_EQ(report["done"], "1") << dom;
    EXPECT_EQ(report.count("exception"), 0u) << report["exception"];
    return report;
  }
  static std::map<std::string, std::string> CheckGrid(const std::string& name) {
    return Check(name, "/page_check.html#/?day=" + Tomorrow() + "%26range=2%26band=1111");
  }
  static std::string ShowPage(const std::string& query) {
    std::string encoded;
    for (char c : query) encoded += c == '&' ? std::string("%26") : std::string(1, c);
    return "/settings_check.html#show:/?" + encoded;
  }
  static std::string SettingsBytes() { return ReadFileBytes(home_->Path() / "plimo.ini"); }

  static inline std::string chromium_;
  static inline ProgramHome* home_ = nullptr;
  static inline pid_t pid_ = 0;
  static inline bool started_ = false;
};

TEST_F(SettingsPagesBrowserTest, EditorWithPreviewAndThePickersPhotographed) {
  const auto editor = Check("search_editor", ShowPage("cmd=search&sh_idx=1"));
  EXPECT_EQ(editor.at("title"), "検索条件設定");
  EXPECT_GT(ReportNumber(editor, "hits"), 0);
  EXPECT_EQ(ReportNumber(editor, "squares"), 1);
  EXPECT_EQ(ReportNumber(Check("search_picker", ShowPage("cmd=search&sh_idx=1&color=1")), "squares"), 126);
  Photograph("search_editor", "cmd=search&sh_idx=1");
  Photograph("search_picker", "cmd=search&sh_idx=1&color=1");
  Photograph("search_list", "cmd=search");
  Photograph("search_order", "cmd=search&sort=1");
  Photograph("genre_colours", "cmd=genre");
}

TEST_F(SettingsPagesBrowserTest, ConditionSavedInTheBrowserShowsInTheSearchGrid) {
  const auto before = CheckGrid("grid_before");
  EXPECT_EQ(home_->Fetch("/?day=" + Tomorrow() + "&range=2&band=1111").find("映画「"), std::string::npos);

  const auto saved = Check("save", "/settings_check.html#save:2:%E6%98%A0%E7%94%BB");
  EXPECT_EQ(saved.at("editorSlot"), "?cmd=search&sh_idx=2");
  EXPECT_EQ(saved.at("savedAt"), "?cmd=search&sh_idx=2&");
  EXPECT_GT(ReportNumber(saved, "hits"), 0);
  EXPECT_GT(ReportNumber(saved, "rows"), 0);
  EXPECT_EQ(saved.at("pickerTitle"), "色の参照");
  EXPECT_EQ(ReportNumber(saved, "radios"), 126);
  EXPECT_EQ(saved.at("backAt"), "?cmd=search&sh_idx=2&");
  EXPECT_EQ(saved.at("word"), "映画");
  EXPECT_EQ(saved.at("sample"), "rgb(160, 160, 255)");

  // Saving the unchanged form again leaves the file as it was.
  const std::string file = SettingsBytes();
  EXPECT_EQ(Check("resubmit", "/settings_check.html#resubmit:2").at("savedAt"), "?cmd=search&sh_idx=2&");
  EXPECT_EQ(SettingsBytes(), file);

  const auto after = CheckGrid("grid_after");
  EXPECT_EQ(ReportNumber(after, "table"), 1);
  EXPECT_EQ(ReportNumber(after, "overlaps"), 0);
  EXPECT_GT(ReportNumber(after, "titles"), ReportNumber(before, "titles"));
  EXPECT_NE(home_->Fetch("/?day=" + Tomorrow() + "&range=2&band=1111").find("映画「"), std::string::npos);
}

TEST_F(SettingsPagesBrowserTest, GenreColourThroughThePickersDirectChoice) {
  const auto report = Check("genre", "/settings_check.html#genre");
  EXPECT_EQ(report.at("pickerTitle"), "色の参照");
  EXPECT_EQ(ReportNumber(report, "direct"), 1);
  EXPECT_EQ(report.at("pickerSample"), "rgb(18, 52, 86)");
  EXPECT_EQ(report.at("genreTitle"), "ジャンル色設定");
  EXPECT_EQ(report.at("drama"), "#123456");
}

}  // namespace
}  // namespace plimod::test
