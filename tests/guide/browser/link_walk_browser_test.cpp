// A person clicking through the pages at a reading pace, in headless
// Chromium as it ships: between clicks the browser opens a spare connection
// for the next one and leaves it silent, and every click must still show
// its page, not an answer the server gave that spare connection.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/browser_page_fixture.h"
#include "tests/support/headless_chromium.h"

namespace {

using namespace std::chrono_literals;

class LinkWalkBrowserTest : public plimod::test::BrowserPageTest {
 protected:
  static void SetUpTestSuite() { StartSuite("plimod-walk", L"", {}, PLIMOD_BINARY_DIR "/test-artifacts/link_walk"); }
  static void TearDownTestSuite() { StopSuite(); }
};

TEST_F(LinkWalkBrowserTest, TwelveLinksThreeSecondsApartEachShowTheirPage) {
  struct Stop {
    const char* path;
    const char* title;
  };
  const Stop stops[] = {{"/?mode=epg", "プリモビュー"}, {"/m/", "プリモ…"}, {"/", "プリモビュー"}};
  plimod::test::ChromiumPage page(chromium_, kDesktopWindow);
  ASSERT_TRUE(page.Open(home_->Url("/")));
  for (int click = 0; click < 12; ++click) {
    // The pause is the scenario: a spare connection the browser opened
    // meanwhile outlives the server's head deadline.
    std::this_thread::sleep_for(3s);
    const Stop& stop = stops[click % 3];
    const std::string link = std::string("(function(){var a=document.createElement('a');a.href='") + stop.path +
                             "';document.body.appendChild(a);return a;})()";
    ASSERT_TRUE(page.Click(link)) << "click " << click << " to " << stop.path;
    EXPECT_EQ(page.Evaluate("document.title").value_or("(none)"), stop.title)
        << "click " << click << " to " << stop.path << " showed: " << page.Text().substr(0, 200);
  }
}

}  // namespace
