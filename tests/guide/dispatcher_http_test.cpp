// The dispatcher behind the real server, with curl as the browser.
#include <gtest/gtest.h>

#include <string>

#include "guide/command_pages.h"
#include "guide/dispatcher.h"
#include "guide/page_state.h"
#include "tests/server/http_test_support.h"
#include "tests/support/child_process.h"

namespace plimod::test {
namespace {

using testing_support::HttpServerTest;

class DispatcherHttpTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    ClearCommandPages();
    SetPageHandler(HandleRequest);
    Start();
  }
  void TearDown() override {
    ClearCommandPages();
    HttpServerTest::TearDown();
  }
  std::string Curl(const std::string& args) {
    const std::string base = "http://127.0.0.1:" + std::to_string(port_) + "/";
    return CommandOutput("curl -s -i --max-time 10 -e " + base + " " + args + " '" + base + "'");
  }
};

TEST_F(DispatcherHttpTest, CookieOfTheModeSetsTheViewAndComesBack) {
  const std::string reply = Curl("-H 'Cookie: defepg=range%3D12%26band%3D10' -G -d mode=epg");
  EXPECT_EQ(reply.rfind("HTTP/1.0 200 OK\n", 0), 0u) << reply;
  EXPECT_NE(reply.find("Set-Cookie: defepg=range%3D12%26band%3D10; expires="), std::string::npos);
  EXPECT_EQ(CurrentPageState().range, 12);
}

TEST_F(DispatcherHttpTest, SavedPostRedirectsToTheView) {
  SetCommandPage("config", [](ReplyWriter&, RequestParameters& params, IniFile&) {
    return params.Value("cfg_x") == "1" ? 0 : 1;
  });
  const std::string reply = Curl("-d 'cmd=config&cfg_x=1&mode=station&range=2'");
  EXPECT_EQ(reply, "HTTP/1.0 302 Moved Temporarily\nLocation: /?mode=station&range=2\n\n");
}

}  // namespace
}  // namespace plimod::test
