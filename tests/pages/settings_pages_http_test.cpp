// The settings pages behind the real server and dispatcher.
#include <gtest/gtest.h>

#include <string>

#include "epg/epg_index.h"
#include "guide/command_pages.h"
#include "guide/dispatcher.h"
#include "pages/settings_pages.h"
#include "server/request_token.h"
#include "settings/settings.h"
#include "tests/server/http_test_support.h"
#include "tests/support/service_keys.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {
namespace {

using testing_support::HttpServerTest;

class SettingsPagesHttpTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    Settings().Clear();
    Settings().Load(folder_.File("plimo.ini").wstring(), true);
    ServiceMap.clear();
    ServiceMap[TrKey(1)] = L"tr1";
    ServiceMap[TrKey(2)] = L"tr2";
    token_ = MakeRequestToken();
    ClearCommandPages();
    RegisterSettingsPages();
    SetPageHandler(HandleRequest);
    Start();
  }
  void TearDown() override {
    ClearCommandPages();
    HttpServerTest::TearDown();
    ServiceMap.clear();
    Settings().Clear();
  }

  std::string Post(const std::string& body) {
    const std::string host = "127.0.0.1:" + std::to_string(port_);
    return Get("POST / HTTP/1.0\r\nHost: " + host + "\r\nReferer: http://" + host +
               "/?cmd=ignorech\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n\r\n" + body);
  }
  std::wstring StoredIgnore() const {
    IniFile file(folder_.File("plimo.ini").wstring());
    return file.GetString(L"VIEW", L"IGNORE_CHANNEL").value_or(L"(missing)");
  }

  TempFolder folder_{"plimod_pages_http"};
  std::string token_;
};

TEST_F(SettingsPagesHttpTest, SavedIgnoreFormRedirectsToTheSettingsPage) {
  const std::string reply = Post("cmd=ignorech&spc=%E3%80%80&token=" + token_ + "&ch_T0002H=1&mode=station");
  EXPECT_EQ(reply, "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=config&mode=station\n\n");
  EXPECT_EQ(StoredIgnore(), L"T0002H");
}

TEST_F(SettingsPagesHttpTest, WrongTokenAnswersTheFormAndSavesNothing) {
  const std::string reply = Post("cmd=ignorech&spc=%E3%80%80&token=x" + token_ + "&ch_T0002H=1");
  EXPECT_EQ(reply.rfind("HTTP/1.0 200 OK\n", 0), 0u) << reply;
  EXPECT_NE(reply.find("name='ch_T0002H' value=1>tr2"), std::string::npos) << reply;
  EXPECT_EQ(StoredIgnore(), L"(missing)");
}

}  // namespace
}  // namespace plimod::test
