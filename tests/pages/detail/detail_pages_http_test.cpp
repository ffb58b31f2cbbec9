// The programme detail page and the keyword search behind the real server
// and dispatcher, with curl as the browser: the iEPG download's bytes on
// the wire, and a host export asked by a foreign page refused before any
// file is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "epg/epg_index.h"
#include "guide/command_pages.h"
#include "guide/dispatcher.h"
#include "pages/detail/host_file_open.h"
#include "pages/detail/program_detail_page.h"
#include "pages/search/line_search_page.h"
#include "server/request_token.h"
#include "settings/settings.h"
#include "tests/server/http_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/fixed_clock.h"
#include "util/keys.h"

namespace plimod::test {
namespace {

using testing_support::HttpServerTest;

constexpr std::uint64_t kService = ServiceKey(0x7FE0, 0x7FE0, 0x0400);

class DetailPagesHttpTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    Settings().Clear();
    ServiceMap.clear();
    ServiceMap[kService] = L"テスト局";
    EpgEvent event;
    event.originalNetworkId = 0x7FE0;
    event.transportStreamId = 0x7FE0;
    event.serviceId = 0x0400;
    event.eventId = 0x10;
    event.start = WithDayOfWeek(TimeOf(2026, 12, 10, 23, 45));
    event.durationSeconds = 1800;
    event.SetTitle(L"深夜の話");
    event.SetNormalizedTitle(L"深夜の話");  // what the store's load would add
    event.SetShortText(L"あらすじ");
    events_[kService][0x10] = event;
    savedIndex_ = EpgEventIndex;
    EpgEventIndex = &events_;
    if (GetRequestToken().empty()) MakeRequestToken();
    ClearCommandPages();
    SetCommandPage("linesrch", ServeLineSearchPage);
    SetProgramDetailPage(ServeProgramDetailPage);
    SetHostFileOpener([this](const std::wstring&) {
      ++opened_;
      return std::optional<int>();
    });
    SetPageHandler(HandleRequest);
    Start();
  }
  void TearDown() override {
    HttpServerTest::TearDown();
    ClearCommandPages();
    SetHostFileOpener(nullptr);
    EpgEventIndex = savedIndex_;
    ServiceMap.clear();
    Settings().Clear();
  }
  std::string Get(const std::string& query, const std::string& referer) {
    return CommandOutput("curl -s -i --max-time 10 " + (referer.empty() ? "" : "-e " + referer + " ") + "'" +
                         Base() + "?" + query + "'");
  }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

  EpgEventMap events_;
  EpgEventMap* savedIndex_ = nullptr;
  int opened_ = 0;
  FixedClock clock_{TimeOf(2026, 12, 10, 12, 0)};
};

TEST_F(DetailPagesHttpTest, IepgDownloadOnTheWire) {
  const std::string reply = Get("sid=7fe07fe00400&eid=10&pd=depg", "");
  EXPECT_EQ(reply.substr(0, reply.find("\r\n\r\n") + 4),
            "HTTP/1.0 200 OK\nContent-Type: application/x-tv-program-digital-info\r\n"
            "Content-Disposition: filename=\"plimo.tvpid\"\r\n\r\n");
  EXPECT_NE(reply.find("station: DFS00400\r\n"), std::string::npos);
  EXPECT_NE(reply.find("start: 23:45\r\nend: 00:15\r\n"), std::string::npos);
  EXPECT_EQ(reply.substr(reply.size() - 12), "\r\n\r\n\x82\xa0\x82\xe7\x82\xb7\x82\xb6");  // "あらすじ" in CP932
}

TEST_F(DetailPagesHttpTest, HostExportOnlyFromTheProgramsOwnPages) {
  const std::string head = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";
  EXPECT_EQ(Get("sid=7fe07fe00400&eid=10&pd=iepgh", "http://elsewhere.example/"), head + "失敗しました");
  EXPECT_EQ(Get("sid=7fe07fe00400&eid=10&pd=iepgh", ""), head + "失敗しました");
  EXPECT_EQ(opened_, 0);
  EXPECT_EQ(Get("sid=7fe07fe00400&eid=10&pd=iepgh", Base()), head + "実行しました");
  EXPECT_EQ(opened_, 1);
}

TEST_F(DetailPagesHttpTest, KeywordSearchPostFindsTheProgramme) {
  const std::string reply =
      CommandOutput("curl -s -i --max-time 10 -e " + Base() + " --data-binary 'cmd=linesrch&sh_word=%E6%B7%B1%E5%A4%9C"
                    "&spc=%E3%80%80&token=" + GetRequestToken() + "' '" + Base() + "'");
  EXPECT_EQ(reply.rfind("HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n", 0), 0u);
  EXPECT_NE(reply.find("ヒット数：1<BR>"), std::string::npos);
  EXPECT_NE(reply.find("<a href='?sid=7fe07fe00400&eid=10' target=_blank>"), std::string::npos);
}

}  // namespace
}  // namespace plimod::test
