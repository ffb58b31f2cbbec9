// The settings pages behind the real server and dispatcher.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "epg/epg_index.h"
#include "guide/command_pages.h"
#include "guide/dispatcher.h"
#include "pages/settings/settings_pages.h"
#include "platform/text_codec.h"
#include "server/request_token.h"
#include "settings/settings.h"
#include "tests/server/http_test_support.h"
#include "tests/support/file_bytes.h"
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
  // The saved settings file as UTF-8 text.
  std::string SavedFile() const { return WideToUtf8String(Utf16LeToWide(ReadFileBytes(folder_.File("plimo.ini")))); }
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

TEST_F(SettingsPagesHttpTest, SavedConditionRedirectsToItsEditor) {
  const std::string reply = Post("cmd=search&spc=%E3%80%80&token=" + token_ +
                                 "&sh_idx=3&sh_enable=1&sh_word=%E3%82%A2%E3%83%8B%E3%83%A1&sh_title=1&submit=x"
                                 "&mode=epg&day=20261210");
  EXPECT_EQ(reply, "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=search&sh_idx=3&mode=epg&day=20261210\n\n");
  EXPECT_NE(SavedFile().find("[SEARCH_03]\r\nENABLE=1\r\nWORD=アニメ\r\n"), std::string::npos) << SavedFile();
}

TEST_F(SettingsPagesHttpTest, PickedGenreColourRedirectsToTheGenrePage) {
  const std::string reply =
      Post("cmd=genre&spc=%E3%80%80&token=" + token_ + "&sh_idx=3&color_value=%23a0a0ff&submit=x");
  EXPECT_EQ(reply, "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=genre&\n\n");
  EXPECT_NE(SavedFile().find("[GENRECOLOR]\r\nドラマ=#a0a0ff\r\n"), std::string::npos) << SavedFile();
}

TEST_F(SettingsPagesHttpTest, SavedConfigReArmsTheCalendarTimerAndRedirects) {
  std::atomic<int> rearmed{0};
  DispatcherJobs jobs;
  jobs.setSyoboiLoadTimer = [&rearmed] { ++rearmed; };
  SetDispatcherJobs(jobs);
  const std::string reply =
      Post("cmd=config&spc=%E3%80%80&token=" + token_ + "&cfg_syobocal_enable=1&cfg_syobocal_load=5%3A10&mode=station");
  EXPECT_EQ(reply, "HTTP/1.0 302 Moved Temporarily\nLocation: /?mode=station\n\n");
  EXPECT_EQ(rearmed.load(), 1);
  IniFile file(folder_.File("plimo.ini").wstring());
  EXPECT_EQ(file.GetString(L"SYSTEM", L"SYOBOCAL_LOADTIME").value_or(L""), L"5:10");

  const std::string form = Post("cmd=config&mode=station");
  EXPECT_NE(form.find("name='cfg_syobocal_load' value=\"5:10\""), std::string::npos) << form;
  EXPECT_EQ(rearmed.load(), 1);
}

}  // namespace
}  // namespace plimod::test
