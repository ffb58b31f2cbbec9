// The mobile pages of the running program in headless Chromium at a phone's
// screen size (360×640), on the demo EPG data with one saved search
// condition: the menu, tomorrow's programme table, a programme's details,
// the search hits and a one-off search, checked for what a person sees and that nothing is wider
// than the screen; photographed under <build>/test-artifacts/mobile/. On an
// emulated phone, the pages are laid out at the phone's own width.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "tests/support/browser_page_fixture.h"
#include "tests/support/file_bytes.h"

namespace plimod::test {
namespace {

// Scroll bars lie over the page on a phone and take none of its width.
const std::string kPhone = "--window-size=360,640 --hide-scrollbars";
constexpr int kPhoneWidth = 360;
constexpr int kPhoneHeight = 640;
// A black screen with a few lines of text compresses well.
constexpr std::uintmax_t kPhoneShotMinBytes = 4000;

// Width and height of a PNG file, from its header; 0 0 when it is none.
std::pair<int, int> PngSize(const std::filesystem::path& file) {
  const std::string bytes = ReadFileBytes(file);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  auto number = [&bytes](std::size_t at) {
    int value = 0;
    for (std::size_t i = at; i < at + 4; ++i) value = value * 256 + static_cast<unsigned char>(bytes[i]);
    return value;
  };
  return {number(16), number(20)};
}

class MobilePagesBrowserTest : public BrowserPageTest {
 protected:
  static void SetUpTestSuite() {
    StartSuite("plimod-mobile-browser", L"[SEARCH_01]\r\nENABLE=1\r\nWORD=ニュース\r\nSEARCH_TITLE=1\r\n",
               {"tests/pages/browser/phone_check.html", "tests/pages/browser/check_steps.js"},
               PLIMOD_BINARY_DIR "/test-artifacts/mobile");
  }
  static void TearDownTestSuite() { StopSuite(); }

  // Checks the scenario on a phone's screen and photographs it as `name`.
  static std::map<std::string, std::string> OnPhone(const std::string& name, const std::string& scenario) {
    const std::string page = "/phone_check.html#" + scenario;
    auto report = Check(name, page, kPhone);
    EXPECT_EQ(ReportNumber(report, "clientWidth"), kPhoneWidth);
    EXPECT_LE(ReportNumber(report, "scrollWidth"), kPhoneWidth) << "wider than the screen: " << report["overflow"];
    Photograph(name, page, 15000, kPhone, kPhoneShotMinBytes);
    EXPECT_EQ(PngSize(artifacts_ / (name + ".png")), std::make_pair(kPhoneWidth, kPhoneHeight));
    return report;
  }
  static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
};

TEST_F(MobilePagesBrowserTest, MenuListsTheFivePagesWithoutAReservationServer) {
  const auto report = OnPhone("menu", "show:/m/");
  EXPECT_EQ(report.at("title"), "プリモ…");
  EXPECT_EQ(report.at("links"), "検索結果|番組表(地上波)|番組表(BS)|番組表(CS)|検索");
  EXPECT_TRUE(Has(report.at("text"), "1.検索結果|2.番組表(地上波)|")) << report.at("text");
}

TEST_F(MobilePagesBrowserTest, ProgrammeTableOfAnEveningWindowAndADetailPage) {
  const auto report = OnPhone("table", "show:/m/?c=e%26b=1%26d=" + Tomorrow() + "%26h=20");
  EXPECT_EQ(report.at("title"), "番組表");
  EXPECT_TRUE(Has(report.at("links"), "戻|4前|6翌|2前|8次|")) << report.at("links");
  EXPECT_GT(ReportNumber(report, "programmes"), 5);
  EXPECT_TRUE(Has(report.at("text"), " 20:")) << report.at("text");
  EXPECT_FALSE(Has(report.at("text"), "結果なし"));

  std::string link = report.at("firstProgramme");
  ASSERT_EQ(link.rfind("?c=e&sid=", 0), 0u) << link;
  for (std::size_t at = link.find('&'); at != std::string::npos; at = link.find('&', at)) link.replace(at, 1, "%26");
  const auto detail = OnPhone("detail", "show:/m/" + link);
  EXPECT_TRUE(Has(detail.at("text"), "局名:")) << detail.at("text");
  EXPECT_TRUE(Has(detail.at("text"), "番組名:")) << detail.at("text");
  EXPECT_EQ(detail.at("links"), "戻る");
}

TEST_F(MobilePagesBrowserTest, SearchHitsOfTheSavedCondition) {
  const auto report = OnPhone("search_hits", "show:/m/?c=s%26d=" + Tomorrow());
  EXPECT_EQ(report.at("title"), "検索結果");
  EXPECT_TRUE(Has(report.at("links"), "1地|2BS|3CS|")) << report.at("links");
  EXPECT_GT(ReportNumber(report, "programmes"), 0);
  EXPECT_TRUE(Has(report.at("text"), "ﾆｭｰｽ")) << report.at("text");
}

TEST_F(MobilePagesBrowserTest, OneOffSearchShowsItsHitsUnderTheForm) {
  const auto report = OnPhone("search", "search:%E3%83%8B%E3%83%A5%E3%83%BC%E3%82%B9");
  EXPECT_EQ(report.at("title"), "検索");
  EXPECT_TRUE(Has(report.at("text"), "ヒット数：")) << report.at("text");
  EXPECT_FALSE(Has(report.at("text"), "ヒット数：0|"));
  EXPECT_GT(ReportNumber(report, "programmes"), 0);
}

// A phone lays a page without a viewport line out 980 px wide and shrinks
// it; the pages are opened from the menu's links, as a phone user does.
TEST_F(MobilePagesBrowserTest, EmulatedPhoneLaysOutMenuTableAndHitsAtItsOwnWidth) {
  ChromiumPage phone(chromium_, "--hide-scrollbars");
  ASSERT_TRUE(phone.ok()) << phone.Log();
  ASSERT_TRUE(phone.EmulatePhone(kPhoneWidth, kPhoneHeight));
  const std::string layoutWidth = "document.documentElement.clientWidth + ' ' + window.innerWidth";
  const std::string expected = std::to_string(kPhoneWidth) + " " + std::to_string(kPhoneWidth);
  const auto linkTo = [](const std::string& label) {
    return "Array.prototype.find.call(document.links, function (a) { return a.textContent === '" + label + "'; })";
  };
  struct Page {
    std::string name, link, title;
  };
  const Page pages[] = {{"menu", "", "プリモ…"}, {"table", "番組表(地上波)", "番組表"}, {"search_hits", "検索結果", "検索結果"}};
  for (const auto& [name, label, title] : pages) {
    ASSERT_TRUE(phone.Open(home_->Url("/m/"))) << phone.Log();
    if (!label.empty()) {
      ASSERT_TRUE(phone.Click(linkTo(label))) << label;
    }
    EXPECT_EQ(phone.Evaluate("document.title"), title);
    EXPECT_EQ(phone.Evaluate(layoutWidth), expected) << name << ": " << phone.Text();
    EXPECT_TRUE(phone.Screenshot(artifacts_ / ("phone_" + name + ".png")));
    EXPECT_EQ(PngSize(artifacts_ / ("phone_" + name + ".png")), std::make_pair(kPhoneWidth, kPhoneHeight));
  }
}

}  // namespace
}  // namespace plimod::test
