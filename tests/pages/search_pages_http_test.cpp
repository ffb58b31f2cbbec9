// The search condition and genre colour pages behind the real server and
// dispatcher, with curl as the browser: a save redirects and reaches the
// settings file.
#include <gtest/gtest.h>

#include <string>

#include "guide/command_pages.h"
#include "guide/dispatcher.h"
#include "pages/genre_colour_page.h"
#include "pages/search_condition_page.h"
#include "platform/text_codec.h"
#include "server/request_token.h"
#include "settings/settings.h"
#include "tests/server/http_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {
namespace {

using testing_support::HttpServerTest;

class SearchPagesHttpTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    Settings().Clear();
    Settings().Load(settingsPath_.wstring(), true);
    if (GetRequestToken().empty()) MakeRequestToken();
    ClearCommandPages();
    SetCommandPage("search", ServeSearchConditionPage);
    SetCommandPage("genre", ServeGenreColorPage);
    SetPageHandler(HandleRequest);
    Start();
  }
  void TearDown() override {
    ClearCommandPages();
    HttpServerTest::TearDown();
    Settings().Clear();
  }
  // A form post from one of the program's own pages.
  std::string PostForm(const std::string& body) {
    const std::string base = "http://127.0.0.1:" + std::to_string(port_) + "/";
    return CommandOutput("curl -s -i --max-time 10 -e " + base + " --data-binary '" + body +
                         "&spc=%E3%80%80&token=" + GetRequestToken() + "' '" + base + "'");
  }
  std::string SavedFile() const { return WideToUtf8String(Utf16LeToWide(ReadFileBytes(settingsPath_))); }

  TempFolder home_{"plimod-pages-http"};
  std::filesystem::path settingsPath_ = home_.File("plimo.ini");
};

TEST_F(SearchPagesHttpTest, SavedConditionRedirectsToItsEditor) {
  const std::string reply = PostForm("cmd=search&sh_idx=3&sh_enable=1&sh_word=%E3%82%A2%E3%83%8B%E3%83%A1"
                                     "&sh_title=1&submit=x&mode=epg&day=20261210");
  EXPECT_EQ(reply, "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=search&sh_idx=3&mode=epg&day=20261210\n\n");
  EXPECT_NE(SavedFile().find("[SEARCH_03]\r\nENABLE=1\r\nWORD=アニメ\r\n"), std::string::npos) << SavedFile();
}

TEST_F(SearchPagesHttpTest, PickedGenreColourRedirectsToTheGenrePage) {
  const std::string reply = PostForm("cmd=genre&sh_idx=3&color_value=%23a0a0ff&submit=x");
  EXPECT_EQ(reply, "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=genre&\n\n");
  EXPECT_NE(SavedFile().find("[GENRECOLOR]\r\nドラマ=#a0a0ff\r\n"), std::string::npos) << SavedFile();
}

}  // namespace
}  // namespace plimod::test
