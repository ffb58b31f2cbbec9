// The search condition editor, the colour picker and the genre colour page
// of the running program in headless Chromium, on the demo EPG data: the
// editor with its preview and the pickers are photographed (kept under
// <build>/test-artifacts/settings_pages/), and settings_check.html works
// the forms in a same-origin frame as a person would. A condition saved
// there must then show in the search grid.

#include "tests/support/browser_page_fixture.h"
#include "tests/support/file_bytes.h"

namespace plimod::test {
namespace {

class SettingsPagesBrowserTest : public BrowserPageTest {
 protected:
  static void SetUpTestSuite() {
    StartSuite("plimod-settings-browser", L"[SEARCH_01]\r\nENABLE=1\r\nWORD=アニメ\r\nSEARCH_TITLE=1\r\n",
               {"tests/pages/browser/settings_check.html", "tests/pages/browser/check_steps.js",
                "tests/guide/browser/page_check.html"},
               PLIMOD_BINARY_DIR "/test-artifacts/settings_pages");
  }
  static void TearDownTestSuite() { StopSuite(); }

  // The page as a person sees it, opened from one of the program's own
  // pages (a command opened from elsewhere gets the programme table).
  static void PhotographShown(const std::string& name, const std::string& query) {
    Photograph(name, ShowPage(query), 5000);
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
};

TEST_F(SettingsPagesBrowserTest, EditorWithPreviewAndThePickersPhotographed) {
  const auto editor = Check("search_editor", ShowPage("cmd=search&sh_idx=1"));
  EXPECT_EQ(editor.at("title"), "検索条件設定");
  EXPECT_GT(ReportNumber(editor, "hits"), 0);
  EXPECT_EQ(ReportNumber(editor, "squares"), 1);
  EXPECT_EQ(ReportNumber(Check("search_picker", ShowPage("cmd=search&sh_idx=1&color=1")), "squares"), 126);
  PhotographShown("search_editor", "cmd=search&sh_idx=1");
  PhotographShown("search_picker", "cmd=search&sh_idx=1&color=1");
  PhotographShown("search_list", "cmd=search");
  PhotographShown("search_order", "cmd=search&sort=1");
  PhotographShown("genre_colours", "cmd=genre");
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
